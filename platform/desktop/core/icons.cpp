// Icons from the program's icon groups (the image nearest the asked size and colour depth,
// decoded and scaled; shared icons live as long as the program), the arrow cursor and the
// stock brushes.
#include <string>

#include "platform/desktop/core/core_internal.h"

namespace desktop {

using core::S;
using core::TheBackend;

HANDLE LoadImage(HINSTANCE /*instance*/, const char* name, UINT type, int width, int height,
                 UINT flags) {
    if (type != IMAGE_ICON || !name) return nullptr;
    if (width <= 0 || (flags & LR_DEFAULTSIZE && width == 0)) width = GetSystemMetrics(SM_CXICON);
    if (height <= 0) height = GetSystemMetrics(SM_CYICON);
    std::string key = core::Lower(core::NameText(name)) + "/" + std::to_string(width) + "x" +
                      std::to_string(height);
    if (flags & LR_SHARED) {
        auto shared = S().sharedIcons.find(key);
        if (shared != S().sharedIcons.end()) return shared->second;
    }
    auto group = resources::LoadResourceBytes(core::KeyOf(name),
                                              resources::ResourceKey::Id(resources::RT_GROUP_ICON));
    std::vector<core::IconGroupEntry> entries;
    std::string error;
    if (group.empty() || !core::ReadIconGroup(group, entries, error)) return nullptr;
    int chosen = core::ChooseIconEntry(entries, width, height, TheBackend().BitsPerPixel());
    if (chosen < 0) return nullptr;
    auto bits = resources::LoadResourceBytes(resources::ResourceKey::Id(entries[chosen].id),
                                             resources::ResourceKey::Id(resources::RT_ICON));
    auto icon = std::make_unique<core::Icon>();
    if (bits.empty() || !core::DecodeIconImage(bits, icon->pixels, error)) return nullptr;
    icon->pixels = core::ScaleIcon(icon->pixels, width, height);
    icon->name = core::NameText(name);
    icon->entry = entries[chosen];
    HICON handle = core::NewHandle<HICON>();
    icon->handle = handle;
    S().icons[handle] = std::move(icon);
    if (flags & LR_SHARED) S().sharedIcons[key] = handle;
    return handle;
}

HICON LoadIcon(HINSTANCE instance, const char* name) {
    if (!instance) {
        if (name != IDI_APPLICATION) return nullptr;
        static const HICON kApplication = reinterpret_cast<HICON>(uintptr_t{0x7F00});
        return kApplication;
    }
    return static_cast<HICON>(LoadImage(instance, name, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                        GetSystemMetrics(SM_CYICON), LR_SHARED));
}

BOOL DestroyIcon(HICON icon) {
    for (const auto& [key, handle] : S().sharedIcons)
        if (handle == icon) return TRUE;  // shared icons live as long as the program
    return S().icons.erase(icon) ? TRUE : FALSE;
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    if (instance || name != IDC_ARROW) return nullptr;
    return reinterpret_cast<HCURSOR>(uintptr_t{0x7F01});
}

HGDIOBJ GetStockObject(int object) {
    if (object != WHITE_BRUSH && object != BLACK_BRUSH && object != NULL_BRUSH) return nullptr;
    return reinterpret_cast<HGDIOBJ>(uintptr_t{0x7E00} + static_cast<uintptr_t>(object));
}

}  // namespace desktop
