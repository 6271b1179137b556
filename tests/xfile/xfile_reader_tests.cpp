// The text .x reader: what it reads out of well-formed files, strict and loose, and that
// every kind of malformed input is refused with a message naming the offending line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/retained/xfile/xfile_reader.h"

namespace {

using retained::xfile::Mesh;
using retained::xfile::ReadXFile;

struct ReadResult {
    bool ok;
    Mesh mesh;
    std::string error;
};

ReadResult Read(std::string_view text) {
    ReadResult result;
    auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    result.ok = ReadXFile(bytes, result.mesh, result.error);
    return result;
}

std::string LoadData(const std::string& name) {
    std::ifstream in(std::string(XFILE_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(XFileReader, StrictFileGivesEveryPartOfTheMesh) {
    const std::string text = LoadData("strict.x");
    ASSERT_FALSE(text.empty());
    ReadResult r = Read(text);
    ASSERT_TRUE(r.ok) << r.error;
    const Mesh& m = r.mesh;
    EXPECT_EQ(m.name, "Box");
    ASSERT_EQ(m.vertices.size(), 5u);
    EXPECT_EQ(m.vertices[4], (std::array<float, 3>{0.5f, 0.5f, -1.25f}));
    ASSERT_EQ(m.faces.size(), 2u);
    EXPECT_EQ(m.faces[0], (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(m.faces[1], (std::vector<uint32_t>{0, 1, 4}));
    ASSERT_EQ(m.normals.size(), 2u);
    EXPECT_EQ(m.normals[1], (std::array<float, 3>{0, -1, 0}));
    ASSERT_EQ(m.faceNormals.size(), 2u);
    EXPECT_EQ(m.faceNormals[0], (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(m.faceNormals[1], (std::vector<uint32_t>{1, 1, 1}));
    EXPECT_EQ(m.faceMaterials, (std::vector<uint32_t>{1, 0}));
    ASSERT_EQ(m.materials.size(), 2u);
    // Material 0 is the reference to the Red defined at the top of the file.
    EXPECT_EQ(m.materials[0].r, 1.0f);
    EXPECT_EQ(m.materials[0].b, 0.0f);
    EXPECT_EQ(m.materials[0].power, 5.0f);
    EXPECT_EQ(m.materials[0].specular[2], 0.5f);
    EXPECT_EQ(m.materials[1].b, 1.0f);
    EXPECT_EQ(m.materials[1].a, 0.5f);
    EXPECT_EQ(m.materials[1].power, 9.0f);
    EXPECT_EQ(m.materials[1].emissive[0], 0.1f);
    EXPECT_EQ(m.materials[1].emissive[2], 0.3f);
    ASSERT_EQ(m.textureCoords.size(), 5u);
    EXPECT_EQ(m.textureCoords[2], (std::array<float, 2>{1, 1}));
}

TEST(XFileReader, LooseFileWithCommentsNulsAndNestedFramesReadsTheFirstMesh) {
    const std::string text = LoadData("loose.x");
    ASSERT_FALSE(text.empty());
    ReadResult r = Read(text);
    ASSERT_TRUE(r.ok) << r.error;
    const Mesh& m = r.mesh;
    EXPECT_EQ(m.name, "");
    ASSERT_EQ(m.vertices.size(), 4u);
    EXPECT_EQ(m.vertices[0], (std::array<float, 3>{-1, -1, 0}));
    EXPECT_EQ(m.vertices[3], (std::array<float, 3>{-1, 1, 0}));
    ASSERT_EQ(m.faces.size(), 3u);
    EXPECT_EQ(m.faces[2], (std::vector<uint32_t>{1, 2, 3}));
    // Two face indexes for three faces: the last one stands for the rest.
    EXPECT_EQ(m.faceMaterials, (std::vector<uint32_t>{0, 0, 0}));
    ASSERT_EQ(m.materials.size(), 1u);
    EXPECT_EQ(m.materials[0].g, 0.5f);
    EXPECT_EQ(m.materials[0].power, 2.0f);
    EXPECT_EQ(m.materials[0].emissive[0], 0.1f);
    EXPECT_TRUE(m.normals.empty());
    EXPECT_TRUE(m.faceNormals.empty());
    EXPECT_TRUE(m.textureCoords.empty());
}

TEST(XFileReader, SeparatorStylesAllReadTheSameMesh) {
    const char* const kBodies[] = {
        "Mesh{3;0.0;0.0;0.0;,1.0;0.0;0.0;,0.0;1.0;0.0;;1;3;0,1,2;;}",
        "Mesh{3;0.0;0.0;0.0;;1.0;0.0;0.0;;0.0;1.0;0.0;;1;3;0;1;2;;;}",
        "Mesh{3,0,0,0,1,0,0,0,1,0,1,3,0,1,2}",
        "Mesh{3 0 0 0 1 0 0 0 1 0 1 3 0 1 2}",
        "Mesh { // count\n3; # vertices follow\n0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;,\n}",
        "mesh2{0;0;;}\nMesh{3;0;0;0;;;,1;0;0;;;,0;1;0;;;;1;;3;;0;;1;;2;;;}",
    };
    for (const char* body : kBodies) {
        ReadResult r = Read(std::string("xof 0303txt 0032\n") + body);
        ASSERT_TRUE(r.ok) << body << "\n" << r.error;
        ASSERT_EQ(r.mesh.vertices.size(), 3u) << body;
        EXPECT_EQ(r.mesh.vertices[2], (std::array<float, 3>{0, 1, 0})) << body;
        ASSERT_EQ(r.mesh.faces.size(), 1u) << body;
        EXPECT_EQ(r.mesh.faces[0], (std::vector<uint32_t>{0, 1, 2})) << body;
    }
}

TEST(XFileReader, EveryTruncationOfAGoodFileIsRefused) {
    const std::string text = LoadData("strict.x");
    ASSERT_FALSE(text.empty());
    // The Mesh closes with the file's last brace: every shorter prefix misses some of it.
    const size_t lastBrace = text.rfind('}');
    for (size_t length = 0; length <= lastBrace; ++length) {
        ReadResult r = Read(std::string_view(text).substr(0, length));
        EXPECT_FALSE(r.ok) << "accepted the first " << length << " bytes";
        EXPECT_FALSE(r.error.empty()) << length;
    }
}

struct Malformed {
    const char* what;
    const char* body;     // after the line "xof 0303txt 0032"
    const char* message;  // a part of the expected error
};

const Malformed kMalformed[] = {
    {"no mesh at all", "Header { 1; 0; 1; }\n", "no Mesh"},
    {"vertex count beyond the file", "Mesh {\n4000000000;\n0;0;0;;\n}",
     "line 3: the vertex count 4000000000 is more"},
    {"face count beyond the file", "Mesh {\n3; 0;0;0;,1;0;0;,0;1;0;;\n4294967295;\n}",
     "line 4: the face count"},
    {"face index count beyond the file", "Mesh {\n3; 0;0;0;,1;0;0;,0;1;0;;\n1;\n99999;0,1,2;;\n}",
     "line 5: index count 99999 is more"},
    {"count too large for a DWORD", "Mesh {\n99999999999;\n}", "line 3: expected the vertex count"},
    {"negative count", "Mesh {\n-3;\n}", "line 3: expected the vertex count"},
    {"fractional count", "Mesh {\n3.5;\n}", "line 3: expected the vertex count"},
    {"fewer vertices than announced", "Mesh {\n4;\n0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\n}",
     "line 6: face 0 has 2"},
    {"more vertices than announced", "Mesh {\n2;\n0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\n}",
     "line 4: unexpected '1' in the Mesh"},
    {"more faces than announced", "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;,\n3;0,1,2;;\n}",
     "line 6: unexpected '3'"},
    {"face vertex index out of range", "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,3;;\n}",
     "line 5: face 0 refers to vertex 3 of only 3"},
    {"face of two vertices", "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n2;0,1;;\n}",
     "line 5: face 0 has 2 indices"},
    {"word instead of a coordinate", "Mesh {\n3;0;0;zero;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\n}",
     "line 3: expected a vertex coordinate"},
    {"malformed number", "Mesh {\n3;0;0;1.0.0;,1;0;0;,0;1;0;;\n}",
     "line 3: malformed number or name '1.0.0'"},
    {"number beyond a float", "Mesh {\n3;0;0;1e39;,1;0;0;,0;1;0;;\n}",
     "line 3: a vertex coordinate '1e39' is out of range"},
    {"number beyond a double", "Mesh {\n3;0;0;1e999;,1;0;0;,0;1;0;;\n}",
     "line 3: a vertex coordinate '1e999' is out of range"},
    {"not a number", "Mesh {\n3;0;0;nan;,1;0;0;,0;1;0;;\n}",
     "line 3: expected a vertex coordinate"},
    {"infinity", "Mesh {\n3;0;0;-inf;,1;0;0;,0;1;0;;\n}", "line 3: expected a vertex coordinate"},
    {"normal index out of range",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshNormals "
     "{\n1;0;0;1;;\n1;\n3;0,0,1;;\n}\n}",
     "line 9: face normal list 0 refers to normal 1 of only 1"},
    {"face normal lists and faces differ",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshNormals "
     "{\n1;0;0;1;;\n2;\n3;0,0,0;,\n3;0,0,0;;\n}\n}",
     "line 8: MeshNormals from line 6 has 2 face normal lists for 1 faces"},
    {"face normal list shorter than its face",
     "Mesh {\n4;0;0;0;,1;0;0;,1;1;0;,0;1;0;;\n1;\n4;0,1,2,3;;\nMeshNormals "
     "{\n1;0;0;1;;\n1;\n3;0,0,0;;\n}\n}",
     "face normal list 0 has 3 normals for a face of 4 vertices"},
    {"second MeshNormals",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshNormals {\n1;0;0;1;;\n1;\n3;0,0,0;;\n}\n"
     "MeshNormals {\n1;0;0;1;;\n1;\n3;0,0,0;;\n}\n}",
     "line 11: a second 'MeshNormals'"},
    {"material index out of range",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n1;;\n"
     "Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }\n}\n}",
     "line 9: face 0 uses material 1 of only 1"},
    {"more face indexes than faces",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n2;\n0,0;;\n}\n}",
     "line 6: MeshMaterialList has 2 face indexes for 1 faces"},
    {"no face index",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n0;;\n}\n}",
     "line 6: MeshMaterialList has no face index"},
    {"fewer materials than announced",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n2;\n1;\n0;;\n"
     "Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }\n}\n}",
     "line 11: MeshMaterialList from line 6 announces 2 materials but holds 1"},
    {"more materials than announced",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n0;;\n"
     "Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }\nMaterial { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }\n}\n}",
     "line 11: more materials than the 1 announced"},
    {"material missing members",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n0;;\n"
     "Material {\n1;1;1;1;;\n}\n}\n}",
     "line 12: expected the power"},
    {"reference to an unknown material",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n0;;\n{ Gold "
     "}\n}\n}",
     "line 10: reference to 'Gold', which is no Material defined before"},
    {"reference to a material defined later",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n0;;\n{ Gold "
     "}\n}\n}\n"
     "Material Gold { 1;1;0;1;; 1; 0;0;0;; 0;0;0;; }",
     "line 10: reference to 'Gold'"},
    {"something else in a material list",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshMaterialList {\n1;\n1;\n0;;\nFrame { "
     "}\n}\n}",
     "line 10: a MeshMaterialList holds only Materials"},
    {"texture coordinates for fewer vertices",
     "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\nMeshTextureCoords {\n2;\n0;0;,0;0;;\n}\n}",
     "line 7: MeshTextureCoords has 2 pairs for 3 vertices"},
    {"unknown object never closed", "Frame {\n Frame {\n 1.0;\n}\n",
     "'Frame' from line 2 never closed"},
    {"mesh never closed", "Mesh {\n3;0;0;0;,1;0;0;,0;1;0;;\n1;\n3;0,1,2;;\n",
     "line 6: Mesh never closed"},
    {"template never closed",
     "template Vector {\n<3D82AB5E-62DA-11cf-AB39-0020AF71E433>\nFLOAT x;\n",
     "template from line 2 never closed"},
    {"string never closed", "Frame {\n\"abc\n}\n", "line 3: string never closed"},
    {"stray character", "Header {\n1;\n0;\n@1;\n}", "line 5: unexpected '@'"},
    {"control byte", "Header {\n1;\x01\n}", "line 3: unexpected byte 0x01"},
    {"single slash", "/ not a comment\nMesh { 0;; 0;; }", "line 2: unexpected '/'"},
    {"reference at the top", "{ Gold }\n", "line 2: expected a template or a data object"},
    {"object without a brace", "Mesh Box 3;\n", "line 2: expected '{' after 'Mesh'"},
    {"header with a word", "Header {\none;\n0;\n1;\n}",
     "line 3: expected the Header's major version"},
    {"header with too many values", "Header {\n1;\n0;\n1;\n2;\n}",
     "line 6: expected '}' after the Header"},
    {"malformed reference", "Frame {\n{ 1.5 }\n}", "line 3: expected a reference"},
    {"stray byte in a name inside an unknown object",
     "Frame {\n  Ra\xdd"
     "erial { }\n}",
     "line 3: unexpected byte 0xdd"},
    {"empty reference", "Frame {\n{ }\n}", "line 3: expected a reference"},
};

TEST(XFileReader, MalformedFilesAreRefusedWithTheirLine) {
    for (const Malformed& test : kMalformed) {
        ReadResult r = Read(std::string("xof 0303txt 0032\n") + test.body);
        EXPECT_FALSE(r.ok) << test.what;
        EXPECT_NE(r.error.find(test.message), std::string::npos)
            << test.what << ": got \"" << r.error << "\"";
        EXPECT_TRUE(r.mesh.vertices.empty() && r.mesh.faces.empty()) << test.what;
    }
}

TEST(XFileReader, HeadersOtherThanTextAreRefused) {
    const struct {
        std::string_view header;
        const char* message;
    } kHeaders[] = {
        {"", "not a .x file"},
        {"xof 0303txt 003", "float size"},
        {"xof 0303bin 0032", "binary .x files are not supported"},
        {"xof 0303tzip0032", "compressed"},
        {"xof 0303bzip0064", "compressed"},
        {"xof 0301txt 0032", "unsupported .x version"},
        {"xof 0303TXT 0032", "unknown .x format"},
        {"xof 0303txt 0016", "float size"},
        {"XOF 0303txt 0032", "not a .x file"},
        {"\xef\xbb\xbfxof 0303txt 0032", "not a .x file"},
    };
    const std::string body = "\nMesh { 3;0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }\n";
    EXPECT_TRUE(Read("xof 0303txt 0032" + body).ok);
    EXPECT_TRUE(Read("xof 0302txt 0064" + body).ok);
    EXPECT_NE(Read("").error.find("too short"), std::string::npos);
    EXPECT_NE(Read("xof 0303txt 003").error.find("too short"), std::string::npos);
    for (const auto& test : kHeaders) {
        ReadResult r = Read(std::string(test.header) + body);
        EXPECT_FALSE(r.ok) << test.header;
        EXPECT_NE(r.error.find(test.message), std::string::npos) << test.header << ": " << r.error;
    }
}

TEST(XFileReader, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i)
        text += "Frame {";
    ReadResult r = Read(text);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("nested deeper than"), std::string::npos) << r.error;

    // The same Mesh a few levels down is found.
    std::string shallow = "xof 0303txt 0032\n";
    for (int i = 0; i < 10; ++i)
        shallow += "Frame {";
    shallow += "Mesh Deep { 3;0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }";
    for (int i = 0; i < 10; ++i)
        shallow += "}";
    ReadResult found = Read(shallow);
    ASSERT_TRUE(found.ok) << found.error;
    EXPECT_EQ(found.mesh.name, "Deep");
}

TEST(XFileReader, LaterMeshesAndUnknownObjectsMustStillBeWellFormed) {
    const std::string good = "xof 0303txt 0032\nMesh A { 3;0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }\n";
    ReadResult ok = Read(good + "Mesh B { 1; 0;0;0;; 0;; }\nAnimationSet { Animation { {A} } }\n");
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.mesh.name, "A");
    EXPECT_FALSE(Read(good + "Mesh B { 1; 0;0;0;;").ok);
    EXPECT_FALSE(Read(good + "}").ok);
}

// Inputs the fuzzer once broke the reader with: each must now give either a message or a
// mesh whose indices stay inside their arrays.
TEST(XFileReader, FuzzerFindingsGiveAMessageOrASoundMesh) {
    const std::filesystem::path folder = std::filesystem::path(XFILE_TEST_DATA) / "regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        ReadResult r = Read(LoadData("regressions/" + name));
        ++files;
        if (!r.ok) {
            EXPECT_NE(r.error.find("line "), std::string::npos) << name << ": " << r.error;
            continue;
        }
        EXPECT_TRUE(r.error.empty()) << name;
        const Mesh& m = r.mesh;
        for (const auto& face : m.faces) {
            for (uint32_t v : face)
                EXPECT_LT(v, m.vertices.size()) << name;
        }
        for (const auto& list : m.faceNormals) {
            for (uint32_t n : list)
                EXPECT_LT(n, m.normals.size()) << name;
        }
        for (uint32_t i : m.faceMaterials)
            EXPECT_LT(i, m.materials.size()) << name;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
