// The resource table on Windows: the program's own resource section, which windres fills
// from resources/zantobel.rc. It is read once through the system's enumeration, so lookups
// and the table tests use behave exactly as with the table the Linux build embeds.
#include "platform/resources/resource_table.h"

#include <deque>
#include <string>
#include <vector>

// After our header: the system's header turns FindResource and RT_ICON into macros.
#include <windows.h>

namespace resources {
namespace {

struct ModuleTable {
    std::deque<std::string> names;  // stable storage for the keys' texts
    std::vector<EmbeddedResource> entries;
};

ResourceKey KeyOf(ModuleTable& table, LPCSTR key) {
    if (IS_INTRESOURCE(key))
        return ResourceKey::Id(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(key)));
    table.names.emplace_back(key);
    return ResourceKey::Name(table.names.back().c_str());
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    auto& table = *reinterpret_cast<ModuleTable*>(context);
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return TRUE;  // unreadable: the table simply does not list it
    EmbeddedResource entry{KeyOf(table, type), KeyOf(table, name),
                           static_cast<const uint8_t*>(bytes), SizeofResource(module, found)};
    table.entries.push_back(entry);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR context) {
    EnumResourceNamesA(module, type, AddName, context);
    return TRUE;
}

ModuleTable ReadModuleTable() {
    ModuleTable table;
    EnumResourceTypesA(GetModuleHandleA(nullptr), AddType, reinterpret_cast<LONG_PTR>(&table));
    return table;
}

}  // namespace

// Every resource of the program, in the system's order (types, then names, as enumerated).
std::span<const EmbeddedResource> EmbeddedResourceTable() {
    static const ModuleTable table = ReadModuleTable();
    return table.entries;
}

}  // namespace resources
