// zantobel-rc: compiles the resource script into the C++ source of the embedded resource
// table. Usage: zantobel-rc SCRIPT OUTPUT.cpp
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/resource_compiler/rc_script.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: zantobel-rc SCRIPT OUTPUT.cpp\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "zantobel-rc: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<rc::CompiledResource> resources;
    std::string error;
    std::filesystem::path base = std::filesystem::path(argv[1]).parent_path();
    if (!rc::CompileScript(script, base, resources, error)) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    std::string source = rc::EmitTableSource(resources);
    // Write only when the content changes, so an unchanged script rebuilds nothing.
    std::ifstream old(argv[2], std::ios::binary);
    std::string previous((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    if (previous == source) return 0;
    std::ofstream out(argv[2], std::ios::binary);
    out << source;
    if (!out) {
        std::cerr << "zantobel-rc: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
