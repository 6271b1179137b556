// The compiled-in resource table: every resource the program carries (disc mesh, sounds,
// icons, menu, dialogs, pattern statistics) is embedded at build time from resources/
// (generated source on Linux, the executable's resource section on Windows).
// A resource is found by its type and by its name or integer id; names match without
// regard to case, as the platform matches them. Nothing is read from files at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace resources {

// A resource's type or name: either a string or a 16-bit integer id (the platform's
// MAKEINTRESOURCE). A null name means the key is the integer id.
struct ResourceKey {
    const char* name;
    uint16_t id;

    static constexpr ResourceKey Name(const char* text) { return {text, 0}; }
    static constexpr ResourceKey Id(uint16_t number) { return {nullptr, number}; }
    constexpr bool IsId() const { return name == nullptr; }
};

// Integer ids of the predefined resource types.
constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_MENU = 4;
constexpr uint16_t RT_DIALOG = 5;
constexpr uint16_t RT_RCDATA = 10;
constexpr uint16_t RT_GROUP_ICON = 14;

struct EmbeddedResource {
    ResourceKey type;
    ResourceKey name;
    const uint8_t* data;
    size_t size;

    std::span<const uint8_t> Bytes() const { return {data, size}; }
};

// True when the two keys denote the same resource key: equal ids, or names equal without
// regard to ASCII case. A name never equals an id; "#107" is the platform's spelling of id
// 107 as a string and is matched as that id.
bool KeysMatch(ResourceKey a, ResourceKey b);

// The resource of that type and name, or null when the program carries none.
const EmbeddedResource* FindResource(ResourceKey name, ResourceKey type);

// Its bytes, or an empty span when the resource is missing.
std::span<const uint8_t> LoadResourceBytes(ResourceKey name, ResourceKey type);

// Every embedded resource: in the order of the resource script on Linux, in the system's
// enumeration order on Windows.
std::span<const EmbeddedResource> AllResources();

// Tests replace the table to drive the paths where a resource is missing or malformed;
// an empty span restores the embedded table.
void ReplaceResourceTableForTesting(std::span<const EmbeddedResource> table);

}  // namespace resources
