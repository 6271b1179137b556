// Compilers of the structured statements of a resource script into the platform's binary
// formats: MENU into a menu template, DIALOG and DIALOGEX into dialog templates (UTF-16
// texts), and an .ico file into one icon-group resource plus one icon resource per image.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/resource_compiler/rc_parser.h"

namespace rc {

// Little-endian output with the strings converted from the script's UTF-8 to UTF-16.
class ByteWriter {
  public:
    void Word(uint16_t value);
    void Dword(uint32_t value);
    void Byte(uint8_t value) { bytes_.push_back(value); }
    // Zero-terminated UTF-16; false when the text is not valid UTF-8.
    bool String(const std::string& utf8);
    void AlignDword();
    std::vector<uint8_t>& Bytes() { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// After the MENU keyword: the item tree. Errors name the line.
bool CompileMenu(Parser& in, std::vector<uint8_t>& bytes);
// After DIALOG (extended false) or DIALOGEX: the header, options and controls.
bool CompileDialog(Parser& in, bool extended, std::vector<uint8_t>& bytes);

struct IconImages {
    std::vector<uint8_t> group;                // RT_GROUP_ICON bytes
    std::vector<std::vector<uint8_t>> images;  // RT_ICON bytes, ids firstId, firstId + 1...
};
// Splits an .ico file; the group refers to its images by ids from firstId on.
bool CompileIconFile(const std::vector<uint8_t>& file, uint16_t firstId, IconImages& out,
                     std::string& error);

}  // namespace rc
