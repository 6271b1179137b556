// Reads a program's version block the way Explorer's properties do (GetFileVersionInfo and
// VerQueryValue) and compares it with what the release promises: the project's version as
// file and product version, the product name and the program's own description and name.
// Usage: version_info_check PROGRAM.exe VERSION DESCRIPTION FILENAME; prints each mismatch.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// The string of the first translation the block lists; empty when missing.
std::wstring StringValue(std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return L"";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
             translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size) || !value)
        return L"";
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: version_info_check PROGRAM VERSION DESCRIPTION FILENAME\n");
        return 2;
    }
    const std::wstring program = Wide(argv[1]);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(program.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(program.c_str(), 0, size, block.data())) {
        std::printf("FAIL: %s has no version block\n", argv[1]);
        return 1;
    }
    int failures = 0;
    auto expect = [&](const char* what, const std::string& seen, const std::string& wanted) {
        std::printf("%s: %s\n", what, seen.c_str());
        if (seen != wanted) {
            std::printf("FAIL: %s is \"%s\", not \"%s\"\n", what, seen.c_str(), wanted.c_str());
            ++failures;
        }
    };
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    std::string fixedVersion = "none";
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == 0xFEEF04BD)
        fixedVersion = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                       std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                       std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                       std::to_string(LOWORD(fixed->dwFileVersionLS));
    const std::string version = argv[2];
    expect("file version (numbers)", fixedVersion, version + ".0");
    expect("FileVersion", Narrow(StringValue(block, L"FileVersion")), version);
    expect("ProductVersion", Narrow(StringValue(block, L"ProductVersion")), version);
    expect("ProductName", Narrow(StringValue(block, L"ProductName")), "ZANTOBEL");
    expect("FileDescription", Narrow(StringValue(block, L"FileDescription")), argv[3]);
    expect("OriginalFilename", Narrow(StringValue(block, L"OriginalFilename")), argv[4]);
    return failures == 0 ? 0 : 1;
}
