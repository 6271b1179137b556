// The game with one of its resources damaged, for the end-to-end test of a failed start:
// "stone" gives a disc mesh cut off in its middle, "statistics" an empty statistics block.
// Everything else is the program as a player runs it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/resources/resource_table.h"
#include "shell/program.h"

int main(int argc, char** argv) {
    using resources::ResourceKey;
    const std::string which = argc == 2 ? argv[1] : "";
    static std::vector<resources::EmbeddedResource> table(resources::AllResources().begin(),
                                                          resources::AllResources().end());
    bool damaged = false;
    for (resources::EmbeddedResource& r : table) {
        if (which == "stone" && resources::KeysMatch(r.name, ResourceKey::Name("stone"))) {
            r.size /= 2;
            damaged = true;
        } else if (which == "statistics" && resources::KeysMatch(r.name, ResourceKey::Id(107))) {
            r.size = 0;
            damaged = true;
        }
    }
    if (!damaged) {
        std::fprintf(stderr, "usage: broken_start stone|statistics\n");
        return 2;
    }
    resources::ReplaceResourceTableForTesting(table);
    return RunZantobel();
}
