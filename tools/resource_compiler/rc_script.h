// The resource compiler's model: a resource script turned into resources, each with its type,
// its name or id and its bytes, ready to be written out as the program's embedded table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/resource_compiler/rc_lexer.h"

namespace rc {

struct KeyText {
    bool isId;
    uint16_t id;
    std::string name;
};

struct CompiledResource {
    KeyText type;
    KeyText name;
    std::vector<uint8_t> bytes;
};

// Compiles every statement of the script. File names are resolved against baseDir.
// Returns false with a message naming the line on the first error.
bool CompileScript(std::string_view script, const std::filesystem::path& baseDir,
                   std::vector<CompiledResource>& out, std::string& error);

// The C++ source that defines resources::EmbeddedResourceTable() over these resources.
std::string EmitTableSource(const std::vector<CompiledResource>& resources);

}  // namespace rc
