// Statements of the resource script and the generated table source.
//
// Statements (names and named types are stored in upper case, as the platform's compiler
// stores them):
//   LANGUAGE lang, sublang              the language of what follows (one language per table)
//   NAME MENU ... BEGIN ... END         a menu template
//   NAME DIALOG x, y, cx, cy ...        a dialog template (DIALOGEX: the extended layout)
//   NAME ICON "file.ico"                an icon group and one icon resource per image
//   NAME-OR-ID TYPE "file"              a file resource: RCDATA, or a named type (XFILE, WAVE)
#include "tools/resource_compiler/rc_script.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "tools/resource_compiler/rc_parser.h"
#include "tools/resource_compiler/rc_templates.h"

namespace rc {
namespace {

constexpr uint16_t kTypeIcon = 3;
constexpr uint16_t kTypeMenu = 4;
constexpr uint16_t kTypeDialog = 5;
constexpr uint16_t kTypeRcData = 10;
constexpr uint16_t kTypeGroupIcon = 14;

bool ReadFileBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// "#12" for an id, the name otherwise. Appended piece by piece: GCC 12 at -O3 warns falsely
// (-Wrestrict) on `"literal" + std::string`.
std::string KeyLabel(const KeyText& key) {
    if (!key.isId) return key.name;
    std::string label = "#";
    label += std::to_string(key.id);
    return label;
}

bool NameIsPrintable(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') return false;
    return !name.empty();
}

class ScriptCompiler {
  public:
    ScriptCompiler(const std::vector<Token>& tokens, const std::filesystem::path& baseDir)
        : in_(tokens), baseDir_(baseDir) {}

    bool Run(std::vector<CompiledResource>& out, std::string& error) {
        while (!in_.AtEnd()) {
            if (!Statement(out)) {
                error = in_.Error();
                return false;
            }
        }
        return true;
    }

  private:
    bool Key(KeyText& key, const char* what) {
        const Token& t = in_.Peek();
        if (t.kind == TokenKind::Number) {
            if (t.number < 1 || t.number > 0xFFFF)
                return in_.Fail(t, std::string(what) + " id out of range 1..65535");
            in_.Take();
            key = {true, static_cast<uint16_t>(t.number), ""};
            return true;
        }
        if (t.kind == TokenKind::Identifier || t.kind == TokenKind::String) {
            if (!NameIsPrintable(t.text))
                return in_.Fail(
                    t, std::string(what) +
                           " name is empty or holds a quote, backslash or control character");
            in_.Take();
            key = {false, 0, Upper(t.text)};
            return true;
        }
        return in_.Fail(t, std::string("expected ") + what + " name or id" +
                               (t.kind == TokenKind::End ? "" : ", found '" + t.text + "'"));
    }

    bool Add(std::vector<CompiledResource>& out, CompiledResource resource, const Token& at) {
        std::string id = KeyLabel(resource.type);
        id += '/';
        id += KeyLabel(resource.name);
        if (!seen_.insert(id).second) return in_.Fail(at, "duplicate resource " + id);
        out.push_back(std::move(resource));
        return true;
    }

    bool FileName(std::filesystem::path& path, std::vector<uint8_t>& bytes) {
        std::string file;
        const Token& at = in_.Peek();
        if (!in_.ExpectString(file, "a file name")) return false;
        path = baseDir_ / file;
        if (!ReadFileBytes(path, bytes)) return in_.Fail(at, "cannot read '" + file + "'");
        return true;
    }

    bool Statement(std::vector<CompiledResource>& out) {
        const Token& start = in_.Peek();
        if (in_.TakeKeyword("LANGUAGE")) {
            int64_t language = 0, sublanguage = 0;
            return in_.Expression(language, "the language") &&
                   in_.ExpectPunct(',', "in LANGUAGE") &&
                   in_.Expression(sublanguage, "the sublanguage");
        }
        CompiledResource resource;
        if (!Key(resource.name, "a resource")) return false;
        const Token& type = in_.Peek();
        if (in_.TakeKeyword("MENU")) {
            resource.type = {true, kTypeMenu, ""};
            if (!CompileMenu(in_, resource.bytes)) return false;
            return Add(out, std::move(resource), start);
        }
        if (in_.IsKeyword("DIALOG") || in_.IsKeyword("DIALOGEX")) {
            bool extended = in_.IsKeyword("DIALOGEX");
            in_.Take();
            resource.type = {true, kTypeDialog, ""};
            if (!CompileDialog(in_, extended, resource.bytes)) return false;
            return Add(out, std::move(resource), start);
        }
        if (in_.TakeKeyword("ICON")) return Icon(out, resource, start);
        if (in_.TakeKeyword("RCDATA")) {
            resource.type = {true, kTypeRcData, ""};
        } else if (!Key(resource.type, "a resource type")) {
            return false;
        }
        (void)type;
        std::filesystem::path path;
        if (!FileName(path, resource.bytes)) return false;
        return Add(out, std::move(resource), start);
    }

    bool Icon(std::vector<CompiledResource>& out, CompiledResource& group, const Token& start) {
        std::filesystem::path path;
        std::vector<uint8_t> file;
        const Token& at = in_.Peek();
        if (!FileName(path, file)) return false;
        IconImages images;
        std::string error;
        if (!CompileIconFile(file, nextIconId_, images, error))
            return in_.Fail(at, path.filename().string() + ": " + error);
        for (auto& image : images.images) {
            CompiledResource icon;
            icon.type = {true, kTypeIcon, ""};
            icon.name = {true, nextIconId_++, ""};
            icon.bytes = std::move(image);
            if (!Add(out, std::move(icon), start)) return false;
        }
        group.type = {true, kTypeGroupIcon, ""};
        group.bytes = std::move(images.group);
        return Add(out, std::move(group), start);
    }

    Parser in_;
    std::filesystem::path baseDir_;
    std::set<std::string> seen_;
    uint16_t nextIconId_ = 1;
};

std::string KeyExpression(const KeyText& key) {
    if (key.isId) return "resources::ResourceKey::Id(" + std::to_string(key.id) + ")";
    return "resources::ResourceKey::Name(\"" + key.name + "\")";
}

}  // namespace

bool CompileScript(std::string_view script, const std::filesystem::path& baseDir,
                   std::vector<CompiledResource>& out, std::string& error) {
    std::vector<Token> tokens;
    if (!Tokenize(script, tokens, error)) return false;
    out.clear();
    return ScriptCompiler(tokens, baseDir).Run(out, error);
}

std::string EmitTableSource(const std::vector<CompiledResource>& resources) {
    std::ostringstream out;
    out << "// Generated by zantobel-rc from resources/zantobel.rc. Do not edit.\n"
        << "#include \"platform/resources/resource_table.h\"\n\nnamespace {\n";
    for (size_t r = 0; r < resources.size(); ++r) {
        const std::vector<uint8_t>& bytes = resources[r].bytes;
        // A zero-length array is not valid C++; an empty resource still gets one byte of
        // storage and a size of 0.
        out << "alignas(8) const unsigned char kData" << r << "[] = {";
        for (size_t i = 0; i < bytes.size(); ++i) {
            out << (i % 20 == 0 ? "\n    " : "") << static_cast<unsigned>(bytes[i]) << ",";
        }
        if (bytes.empty()) out << "0";
        out << "\n};\n";
    }
    out << "\nconst resources::EmbeddedResource kTable[] = {\n";
    for (size_t r = 0; r < resources.size(); ++r) {
        out << "    {" << KeyExpression(resources[r].type) << ", "
            << KeyExpression(resources[r].name) << ", kData" << r << ", "
            << resources[r].bytes.size() << "},\n";
    }
    if (resources.empty())
        out << "    {resources::ResourceKey::Id(0), resources::ResourceKey::Id(0), nullptr, 0},\n";
    out << "};\n\n}  // namespace\n\nnamespace resources {\n\n"
        << "std::span<const EmbeddedResource> EmbeddedResourceTable() {\n"
        << "    return {kTable, " << resources.size() << "};\n}\n\n}  // namespace resources\n";
    return out.str();
}

}  // namespace rc
