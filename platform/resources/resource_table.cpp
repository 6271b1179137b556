// Lookup in the embedded resource table.
#include "platform/resources/resource_table.h"

#include <charconv>
#include <cstring>

namespace resources {

// Defined by the source that the resource compiler generates from resources/zantobel.rc.
std::span<const EmbeddedResource> EmbeddedResourceTable();

namespace {

std::span<const EmbeddedResource> gReplacement;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesEqualIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}

// "#123" names the integer id 123.
ResourceKey Normalise(ResourceKey key) {
    if (key.IsId() || key.name[0] != '#') return key;
    const char* digits = key.name + 1;
    const char* end = digits + std::strlen(digits);
    unsigned value = 0;
    auto [rest, error] = std::from_chars(digits, end, value);
    if (error != std::errc{} || rest != end || digits == end || value > 0xFFFF) return key;
    return ResourceKey::Id(static_cast<uint16_t>(value));
}

}  // namespace

bool KeysMatch(ResourceKey a, ResourceKey b) {
    a = Normalise(a);
    b = Normalise(b);
    if (a.IsId() != b.IsId()) return false;
    if (a.IsId()) return a.id == b.id;
    return NamesEqualIgnoringCase(a.name, b.name);
}

std::span<const EmbeddedResource> AllResources() {
    return gReplacement.empty() ? EmbeddedResourceTable() : gReplacement;
}

const EmbeddedResource* FindResource(ResourceKey name, ResourceKey type) {
    if (!name.IsId() && name.name == nullptr) return nullptr;
    for (const EmbeddedResource& resource : AllResources()) {
        if (KeysMatch(resource.type, type) && KeysMatch(resource.name, name)) return &resource;
    }
    return nullptr;
}

std::span<const uint8_t> LoadResourceBytes(ResourceKey name, ResourceKey type) {
    const EmbeddedResource* resource = FindResource(name, type);
    return resource ? resource->Bytes() : std::span<const uint8_t>{};
}

void ReplaceResourceTableForTesting(std::span<const EmbeddedResource> table) {
    gReplacement = table;
}

}  // namespace resources
