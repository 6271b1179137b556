// The .x parser: template declarations are skipped (the layouts of the few templates the
// mesh needs are built in), unknown data objects are walked with balanced braces so a Mesh
// or a named Material inside them is still found, and every count is checked against what
// the rest of the file could hold before anything is reserved.
#include "platform/retained/xfile/xfile_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <string_view>

#include "platform/retained/xfile/xfile_lexer.h"

namespace retained::xfile {

namespace {

// Frames of real scenes nest a few dozen deep; the bound keeps hostile input from
// exhausting the stack, since data objects are walked recursively.
constexpr int kMaxDepth = 64;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Object and reference names may look like numbers ("1"), but never contain '.' or '+'.
bool IsNameToken(const Token& token) {
    if (token.kind == TokenKind::Name) return true;
    if (token.kind != TokenKind::Number) return false;
    return token.text.find_first_of(".+") == std::string_view::npos;
}

bool CheckHeader(std::span<const uint8_t> bytes, std::string& error) {
    constexpr size_t kHeaderSize = 16;
    if (bytes.size() < kHeaderSize) {
        error = "line 1: too short for a .x header";
        return false;
    }
    std::string_view header(reinterpret_cast<const char*>(bytes.data()), kHeaderSize);
    auto field = [&](size_t at) { return header.substr(at, 4); };
    if (field(0) != "xof ") {
        error = "line 1: not a .x file (no 'xof ' signature)";
        return false;
    }
    if (field(4) != "0302" && field(4) != "0303") {
        error = "line 1: unsupported .x version";
        return false;
    }
    if (field(8) == "bin ") {
        error = "line 1: binary .x files are not supported, only text";
        return false;
    }
    if (field(8) == "tzip" || field(8) == "bzip") {
        error = "line 1: compressed .x files are not supported, only text";
        return false;
    }
    if (field(8) != "txt ") {
        error = "line 1: unknown .x format, expected 'txt '";
        return false;
    }
    if (field(12) != "0032" && field(12) != "0064") {
        error = "line 1: float size must be 0032 or 0064";
        return false;
    }
    return true;
}

class Parser {
  public:
    Parser(std::string_view text, size_t start, Mesh& mesh) : lex_(text, start, 1), mesh_(mesh) {}

    bool ParseFile();
    const std::string& error() const { return error_; }

  private:
    bool Fail(int line, const std::string& message) {
        if (error_.empty()) error_ = "line " + std::to_string(line) + ": " + message;
        return false;
    }
    bool LexFailed() {
        if (error_.empty()) error_ = lex_.error();
        return false;
    }
    bool Next(Token& token) { return lex_.Next(token) || LexFailed(); }
    bool Peek(Token& token) { return lex_.Peek(token) || LexFailed(); }
    bool Expect(TokenKind kind, const char* what, Token& token) {
        if (!Next(token)) return false;
        if (token.kind != kind)
            return Fail(token.line, std::string("expected ") + what + ", found " + Describe(token));
        return true;
    }

    bool EatSeparators();
    bool ReadDword(const char* what, uint32_t& value);
    bool ReadFloat(const char* what, float& value);
    bool ReadFloats(const char* what, float* values, int count);
    bool ReadCount(const char* what, uint64_t minBytesPerElement, uint32_t& count);
    bool ReadFaceLists(const char* what, uint32_t count, uint32_t indexLimit, const char* indexName,
                       std::vector<std::vector<uint32_t>>& lists);

    bool OpenObject(const Token& type, std::string& name, int depth);
    bool SkipTemplate();
    bool ReadReference(Token& name);
    bool ParseObject(const Token& type, int depth);
    bool WalkUnknown(const Token& type, int depth);
    bool ParseHeader();
    bool ParseMaterial(const std::string& name, int depth, Material& material);
    bool ParseMesh(const std::string& name, int depth);
    bool ParseMeshNormals(int line);
    bool ParseMaterialList(int line, int depth);
    bool ParseTextureCoords();

    Lexer lex_;
    Mesh& mesh_;
    bool meshFound_ = false;
    int lastLine_ = 1;  // line of the value read last, for messages about it
    std::map<std::string, Material, std::less<>> namedMaterials_;
    std::string error_;
};

bool Parser::EatSeparators() {
    Token token;
    if (!Peek(token)) return false;
    while (token.kind == TokenKind::Semicolon) {
        Next(token);
        if (!Peek(token)) return false;
    }
    if (token.kind == TokenKind::Comma) Next(token);
    return true;
}

bool Parser::ReadDword(const char* what, uint32_t& value) {
    Token token;
    if (!Next(token)) return false;
    lastLine_ = token.line;
    uint64_t wide = 0;
    bool digitsOnly = token.kind == TokenKind::Number &&
                      token.text.find_first_not_of("0123456789") == std::string_view::npos;
    auto [end, ec] =
        std::from_chars(token.text.data(), token.text.data() + token.text.size(), wide);
    if (!digitsOnly || ec != std::errc() || end != token.text.data() + token.text.size() ||
        wide > std::numeric_limits<uint32_t>::max()) {
        return Fail(token.line, std::string("expected ") + what +
                                    " (a whole number from 0 to 4294967295), found " +
                                    Describe(token));
    }
    value = static_cast<uint32_t>(wide);
    return EatSeparators();
}

bool Parser::ReadFloat(const char* what, float& value) {
    Token token;
    if (!Next(token)) return false;
    lastLine_ = token.line;
    if (token.kind != TokenKind::Number) {
        return Fail(token.line,
                    std::string("expected ") + what + " (a number), found " + Describe(token));
    }
    double wide = 0;
    auto [end, ec] =
        std::from_chars(token.text.data(), token.text.data() + token.text.size(), wide);
    if (ec != std::errc() || end != token.text.data() + token.text.size() || !std::isfinite(wide) ||
        std::fabs(wide) > std::numeric_limits<float>::max()) {
        return Fail(token.line, std::string(what) + " " + Describe(token) + " is out of range");
    }
    value = static_cast<float>(wide);
    return EatSeparators();
}

bool Parser::ReadFloats(const char* what, float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!ReadFloat(what, values[i])) return false;
    }
    return true;
}

// Every element of an array takes at least minBytesPerElement bytes of text (one byte per
// value), so a larger count cannot be honest and is refused before anything is reserved.
bool Parser::ReadCount(const char* what, uint64_t minBytesPerElement, uint32_t& count) {
    if (!ReadDword(what, count)) return false;
    if (uint64_t{count} * minBytesPerElement > lex_.Remaining()) {
        return Fail(lastLine_, std::string(what) + " " + std::to_string(count) +
                                   " is more than the rest of the file can hold");
    }
    return true;
}

bool Parser::ReadFaceLists(const char* what, uint32_t count, uint32_t indexLimit,
                           const char* indexName, std::vector<std::vector<uint32_t>>& lists) {
    lists.clear();
    lists.reserve(count);
    for (uint32_t f = 0; f < count; ++f) {
        uint32_t n = 0;
        if (!ReadCount("index count", 1, n)) return false;
        if (n < 3) {
            return Fail(lastLine_, std::string(what) + " " + std::to_string(f) + " has " +
                                       std::to_string(n) + " indices; a face needs at least 3");
        }
        std::vector<uint32_t>& list = lists.emplace_back();
        list.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t index = 0;
            if (!ReadDword(indexName, index)) return false;
            if (index >= indexLimit) {
                return Fail(lastLine_, std::string(what) + " " + std::to_string(f) + " refers to " +
                                           indexName + " " + std::to_string(index) + " of only " +
                                           std::to_string(indexLimit));
            }
            list.push_back(index);
        }
    }
    return true;
}

// After the type: an optional name, the opening brace and an optional GUID.
bool Parser::OpenObject(const Token& type, std::string& name, int depth) {
    if (depth > kMaxDepth) {
        return Fail(type.line,
                    "data objects nested deeper than " + std::to_string(kMaxDepth) + " levels");
    }
    Token token;
    if (!Next(token)) return false;
    name.clear();
    if (IsNameToken(token)) {
        name = token.text;
        if (!Next(token)) return false;
    }
    if (token.kind != TokenKind::OpenBrace) {
        return Fail(token.line,
                    "expected '{' after " + Describe(type) + ", found " + Describe(token));
    }
    if (!Peek(token)) return false;
    if (token.kind == TokenKind::Guid) Next(token);
    return true;
}

// template Name { <GUID> members [restrictions] }: the layouts are built into this reader.
bool Parser::SkipTemplate() {
    Token token;
    if (!Next(token)) return false;
    if (!IsNameToken(token))
        return Fail(token.line, "expected a template name, found " + Describe(token));
    const int start = token.line;
    if (!Expect(TokenKind::OpenBrace, "'{' after the template name", token)) return false;
    for (int open = 1; open > 0;) {
        if (!Next(token)) return false;
        if (token.kind == TokenKind::End)
            return Fail(token.line,
                        "template from line " + std::to_string(start) + " never closed");
        if (token.kind == TokenKind::OpenBrace) ++open;
        if (token.kind == TokenKind::CloseBrace) --open;
    }
    return true;
}

// After '{' of a reference: { name }, { name <GUID> } or { <GUID> }. The name (empty for a
// GUID alone) comes back in `name`.
bool Parser::ReadReference(Token& name) {
    Token token;
    if (!Next(token)) return false;
    name = Token{TokenKind::Name, {}, token.line};
    bool named = false, guid = false;
    if (IsNameToken(token)) {
        name = token;
        named = true;
        if (!Next(token)) return false;
    }
    if (token.kind == TokenKind::Guid) {
        guid = true;
        if (!Next(token)) return false;
    }
    if (token.kind != TokenKind::CloseBrace || !(named || guid)) {
        return Fail(token.line, "expected a reference '{ name }', found " + Describe(token));
    }
    return true;
}

bool Parser::ParseFile() {
    Token token;
    for (;;) {
        if (!Next(token)) return false;
        if (token.kind == TokenKind::End) break;
        if (token.kind != TokenKind::Name) {
            return Fail(token.line,
                        "expected a template or a data object, found " + Describe(token));
        }
        if (EqualsIgnoringCase(token.text, "template")) {
            if (!SkipTemplate()) return false;
        } else if (!ParseObject(token, 1)) {
            return false;
        }
    }
    if (!meshFound_) return Fail(token.line, "no Mesh in the file");
    return true;
}

bool Parser::ParseObject(const Token& type, int depth) {
    std::string name;
    if (!OpenObject(type, name, depth)) return false;
    if (type.text == "Mesh" && !meshFound_) return ParseMesh(name, depth);
    if (type.text == "Material") {
        Material material;
        return ParseMaterial(name, depth, material);
    }
    if (type.text == "Header") return ParseHeader();
    return WalkUnknown(type, depth);
}

// The members of an object of unknown layout are passed over; nested data objects are
// parsed in turn, so the first Mesh is found inside a Frame and named Materials are known
// to later references.
bool Parser::WalkUnknown(const Token& type, int depth) {
    Token token;
    for (;;) {
        if (!Next(token)) return false;
        switch (token.kind) {
            case TokenKind::End:
                return Fail(token.line, Describe(type) + " from line " + std::to_string(type.line) +
                                            " never closed");
            case TokenKind::CloseBrace:
                return true;
            case TokenKind::OpenBrace: {
                Token ignored;
                if (!ReadReference(ignored)) return false;
                break;
            }
            case TokenKind::Name: {
                Lexer ahead = lex_;
                Token next;
                bool lexed = ahead.Next(next) && (!IsNameToken(next) || ahead.Next(next));
                if (!lexed) {
                    if (error_.empty()) error_ = ahead.error();
                    return false;
                }
                if (next.kind == TokenKind::OpenBrace && !ParseObject(token, depth + 1))
                    return false;
                break;
            }
            default:
                break;
        }
    }
}

bool Parser::ParseHeader() {
    uint32_t major = 0, minor = 0, flags = 0;
    if (!ReadDword("the Header's major version", major) ||
        !ReadDword("the Header's minor version", minor) ||
        !ReadDword("the Header's flags", flags)) {
        return false;
    }
    if (major > 0xffff || minor > 0xffff)
        return Fail(lastLine_, "Header version does not fit a WORD");
    Token token;
    return Expect(TokenKind::CloseBrace, "'}' after the Header's three values", token);
}

bool Parser::ParseMaterial(const std::string& name, int depth, Material& material) {
    float color[4];
    if (!ReadFloats("a faceColor component", color, 4) || !ReadFloat("the power", material.power) ||
        !ReadFloats("a specularColor component", material.specular, 3) ||
        !ReadFloats("an emissiveColor component", material.emissive, 3)) {
        return false;
    }
    material.r = color[0];
    material.g = color[1];
    material.b = color[2];
    material.a = color[3];
    // Children such as TextureFilename are allowed; a missing texture is no error.
    Token token;
    for (;;) {
        if (!Next(token)) return false;
        if (token.kind == TokenKind::CloseBrace) break;
        if (token.kind == TokenKind::OpenBrace) {
            Token ignored;
            if (!ReadReference(ignored)) return false;
        } else if (token.kind == TokenKind::Name) {
            if (!ParseObject(token, depth + 1)) return false;
        } else {
            return Fail(token.line,
                        "unexpected " + Describe(token) + " after the Material's values");
        }
    }
    if (!name.empty()) namedMaterials_.insert_or_assign(name, material);
    return true;
}

bool Parser::ParseMesh(const std::string& name, int depth) {
    meshFound_ = true;
    mesh_.name = name;
    uint32_t vertexCount = 0;
    // A vector is three values, a face a count and at least three indices.
    if (!ReadCount("the vertex count", 3, vertexCount)) return false;
    mesh_.vertices.resize(vertexCount);
    for (auto& vertex : mesh_.vertices) {
        if (!ReadFloats("a vertex coordinate", vertex.data(), 3)) return false;
    }
    uint32_t faceCount = 0;
    if (!ReadCount("the face count", 4, faceCount)) return false;
    if (!ReadFaceLists("face", faceCount, vertexCount, "vertex", mesh_.faces)) return false;

    bool haveNormals = false, haveMaterials = false, haveCoords = false;
    Token token;
    for (;;) {
        if (!Next(token)) return false;
        if (token.kind == TokenKind::CloseBrace) return true;
        if (token.kind == TokenKind::End) return Fail(token.line, "Mesh never closed");
        if (token.kind == TokenKind::OpenBrace) {
            Token ignored;
            if (!ReadReference(ignored)) return false;
            continue;
        }
        if (token.kind != TokenKind::Name) {
            return Fail(token.line, "unexpected " + Describe(token) +
                                        " in the Mesh: more data than its counts announce");
        }
        const Token type = token;
        auto once = [&](bool& seen) {
            if (seen) return Fail(type.line, "a second " + Describe(type) + " in the Mesh");
            seen = true;
            return true;
        };
        if (type.text == "MeshNormals") {
            std::string childName;
            if (!once(haveNormals) || !OpenObject(type, childName, depth + 1) ||
                !ParseMeshNormals(type.line))
                return false;
        } else if (type.text == "MeshMaterialList") {
            std::string childName;
            if (!once(haveMaterials) || !OpenObject(type, childName, depth + 1) ||
                !ParseMaterialList(type.line, depth + 1))
                return false;
        } else if (type.text == "MeshTextureCoords") {
            std::string childName;
            if (!once(haveCoords) || !OpenObject(type, childName, depth + 1) ||
                !ParseTextureCoords())
                return false;
        } else if (!ParseObject(type, depth + 1)) {
            return false;
        }
    }
}

bool Parser::ParseMeshNormals(int line) {
    uint32_t normalCount = 0;
    if (!ReadCount("the normal count", 3, normalCount)) return false;
    mesh_.normals.resize(normalCount);
    for (auto& normal : mesh_.normals) {
        if (!ReadFloats("a normal component", normal.data(), 3)) return false;
    }
    uint32_t listCount = 0;
    if (!ReadCount("the face normal count", 4, listCount)) return false;
    if (listCount != mesh_.faces.size()) {
        return Fail(lastLine_, "MeshNormals from line " + std::to_string(line) + " has " +
                                   std::to_string(listCount) + " face normal lists for " +
                                   std::to_string(mesh_.faces.size()) + " faces");
    }
    if (!ReadFaceLists("face normal list", listCount, normalCount, "normal", mesh_.faceNormals))
        return false;
    for (size_t f = 0; f < mesh_.faces.size(); ++f) {
        if (mesh_.faceNormals[f].size() != mesh_.faces[f].size()) {
            return Fail(line, "face normal list " + std::to_string(f) + " has " +
                                  std::to_string(mesh_.faceNormals[f].size()) +
                                  " normals for a face of " +
                                  std::to_string(mesh_.faces[f].size()) + " vertices");
        }
    }
    Token token;
    return Expect(TokenKind::CloseBrace, "'}' after the MeshNormals data", token);
}

bool Parser::ParseMaterialList(int line, int depth) {
    uint32_t materialCount = 0, indexCount = 0;
    // A material is at least a reference "{a}"; a face index at least one digit.
    if (!ReadCount("the material count", 3, materialCount)) return false;
    if (!ReadCount("the face index count", 1, indexCount)) return false;
    const size_t faceCount = mesh_.faces.size();
    if (indexCount > faceCount) {
        return Fail(line, "MeshMaterialList has " + std::to_string(indexCount) +
                              " face indexes for " + std::to_string(faceCount) + " faces");
    }
    if (indexCount == 0 && faceCount > 0) return Fail(line, "MeshMaterialList has no face index");
    mesh_.faceMaterials.clear();
    mesh_.faceMaterials.reserve(faceCount);
    for (uint32_t i = 0; i < indexCount; ++i) {
        uint32_t index = 0;
        if (!ReadDword("a face's material index", index)) return false;
        if (index >= materialCount) {
            return Fail(lastLine_, "face " + std::to_string(i) + " uses material " +
                                       std::to_string(index) + " of only " +
                                       std::to_string(materialCount));
        }
        mesh_.faceMaterials.push_back(index);
    }
    // Fewer indexes than faces: the last one stands for the rest, as the platform reads it.
    if (indexCount > 0) mesh_.faceMaterials.resize(faceCount, mesh_.faceMaterials.back());

    mesh_.materials.clear();
    mesh_.materials.reserve(materialCount);
    Token token;
    for (;;) {
        if (!Next(token)) return false;
        if (token.kind == TokenKind::CloseBrace) break;
        if (token.kind != TokenKind::OpenBrace && token.kind != TokenKind::Name) {
            return Fail(token.line,
                        "expected a Material or a reference in the MeshMaterialList, found " +
                            Describe(token));
        }
        if (mesh_.materials.size() == materialCount) {
            return Fail(token.line,
                        "more materials than the " + std::to_string(materialCount) + " announced");
        }
        if (token.kind == TokenKind::OpenBrace) {
            Token name;
            if (!ReadReference(name)) return false;
            if (name.text.empty()) {
                return Fail(name.line, "a Material must be referred to by name, not by GUID alone");
            }
            auto found = namedMaterials_.find(name.text);
            if (found == namedMaterials_.end()) {
                return Fail(name.line, "reference to " + Describe(name) +
                                           ", which is no Material defined before");
            }
            mesh_.materials.push_back(found->second);
            continue;
        }
        if (token.text != "Material") {
            return Fail(token.line,
                        "a MeshMaterialList holds only Materials, found " + Describe(token));
        }
        const Token type = token;
        std::string name;
        Material material;
        if (!OpenObject(type, name, depth + 1) || !ParseMaterial(name, depth + 1, material))
            return false;
        mesh_.materials.push_back(material);
    }
    if (mesh_.materials.size() != materialCount) {
        return Fail(token.line, "MeshMaterialList from line " + std::to_string(line) +
                                    " announces " + std::to_string(materialCount) +
                                    " materials but holds " +
                                    std::to_string(mesh_.materials.size()));
    }
    return true;
}

bool Parser::ParseTextureCoords() {
    uint32_t count = 0;
    if (!ReadCount("the texture coordinate count", 2, count)) return false;
    if (count != mesh_.vertices.size()) {
        return Fail(lastLine_, "MeshTextureCoords has " + std::to_string(count) + " pairs for " +
                                   std::to_string(mesh_.vertices.size()) + " vertices");
    }
    mesh_.textureCoords.resize(count);
    for (auto& uv : mesh_.textureCoords) {
        if (!ReadFloats("a texture coordinate", uv.data(), 2)) return false;
    }
    Token token;
    return Expect(TokenKind::CloseBrace, "'}' after the MeshTextureCoords data", token);
}

}  // namespace

bool ReadXFile(std::span<const uint8_t> bytes, Mesh& mesh, std::string& error) {
    mesh = Mesh{};
    error.clear();
    if (!CheckHeader(bytes, error)) return false;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    try {
        Parser parser(text, 16, mesh);
        if (parser.ParseFile()) return true;
        error = parser.error();
    } catch (const std::bad_alloc&) {
        error = "out of memory while reading the mesh";
    }
    mesh = Mesh{};
    return false;
}

}  // namespace retained::xfile
