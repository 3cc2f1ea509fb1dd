// SPDX-License-Identifier: GPL-3.0-or-later
// "sea.x" read back with a strict reader of the text X format: the header, the frame with its identity
// matrix, and a mesh whose counts, separators, vertices, normals, texture coordinates and material
// agree with the mesh it was written from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/mediagen/media_set.h"
#include "tools/mediagen/sea_mesh.h"

namespace {

using Rows = std::vector<std::vector<double>>;

// Reads the tokens of a text X file in order and throws, naming the line, on anything unexpected.
class StrictXReader {
public:
    // Reads source from offset start on; source must outlive the reader.
    StrictXReader(const std::string& source, std::size_t start) : text(source), position(start) {}

    void Word(const std::string& expected)
    {
        const std::string word = Token();
        if (word != expected) {
            Fail("expected '" + expected + "', found '" + word + "'");
        }
    }

    double Number()
    {
        const std::string word = Token();
        std::size_t used = 0;
        double value = 0.0;
        try {
            value = std::stod(word, &used);
        } catch (const std::exception&) {
        }
        if (used == 0 || used != word.size()) {
            Fail("expected a number, found '" + word + "'");
        }
        return value;
    }

    // count numbers, separated from each other by `separator` and ended by ';'.
    std::vector<double> Numbers(std::size_t count, const char* separator)
    {
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) {
            values.push_back(Number());
            Word(i + 1 < count ? separator : ";");
        }
        return values;
    }

    // "count;" then the numbers separated by ',' ("3;0,0,0;"; also a face's "3;a,b,c;").
    std::vector<double> List()
    {
        const auto count = static_cast<std::size_t>(Number());
        Word(";");
        return Numbers(count, ",");
    }

    // "count;" then elements separated by ',' with ';' after the last; an element is a record of
    // `fields` numbers each ending in ';' ("x;y;z;") or, with fields 0, a face list.
    Rows Array(int fields)
    {
        const auto count = static_cast<std::size_t>(Number());
        Word(";");
        Rows rows;
        for (std::size_t i = 0; i < count; ++i) {
            rows.push_back(fields > 0 ? Numbers(static_cast<std::size_t>(fields), ";") : List());
            Word(i + 1 < count ? "," : ";");
        }
        return rows;
    }

    bool AtEnd()
    {
        SkipSpace();
        return position >= text.size();
    }

private:
    void SkipSpace()
    {
        while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position]))) {
            ++position;
        }
    }

    std::string Token()
    {
        SkipSpace();
        if (position >= text.size()) {
            Fail("unexpected end");
        }
        const std::size_t start = position++;
        if (std::string("{};,").find(text[start]) == std::string::npos) {
            while (position < text.size() && !std::isspace(static_cast<unsigned char>(text[position])) &&
                   std::string("{};,").find(text[position]) == std::string::npos) {
                ++position;
            }
        }
        return text.substr(start, position - start);
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n');
        throw std::runtime_error("line " + std::to_string(line) + ": " + what);
    }

    const std::string& text;
    std::size_t position;
};

struct ReadMesh {
    Rows matrix;
    Rows positions;
    Rows faces;
    Rows normals;
    Rows normalFaces;
    Rows textureCoords;
    std::vector<double> materialIndices;
    std::vector<double> material;
};

ReadMesh ReadSeaFile(const std::string& text)
{
    const std::string header = "xof 0303txt 0032";
    if (text.compare(0, header.size(), header) != 0) {
        throw std::runtime_error("the header is not " + header);
    }
    StrictXReader x(text, header.size());
    ReadMesh read;
    for (const char* word : {"Frame", "Sea", "{", "FrameTransformMatrix", "{"}) {
        x.Word(word);
    }
    // One Matrix4x4: sixteen numbers separated by ',', ';' ending the array and ';' the member.
    read.matrix.emplace_back();
    for (int i = 0; i < 16; ++i) {
        read.matrix[0].push_back(x.Number());
        x.Word(i < 15 ? "," : ";");
    }
    x.Word(";");
    x.Word("}");
    for (const char* word : {"Mesh", "SeaSurface", "{"}) {
        x.Word(word);
    }
    read.positions = x.Array(3);
    read.faces = x.Array(0);
    x.Word("MeshNormals");
    x.Word("{");
    read.normals = x.Array(3);
    read.normalFaces = x.Array(0);
    x.Word("}");
    x.Word("MeshTextureCoords");
    x.Word("{");
    read.textureCoords = x.Array(2);
    x.Word("}");
    x.Word("MeshMaterialList");
    x.Word("{");
    x.Word("1");
    x.Word(";");
    read.materialIndices = x.List();
    x.Word("Material");
    x.Word("{");
    // Diffuse r;g;b;a;; power; specular r;g;b;; emissive r;g;b;;
    for (int count : {4, 1, 3, 3}) {
        for (int i = 0; i < count; ++i) {
            read.material.push_back(x.Number());
            x.Word(";");
        }
        if (count > 1) {
            x.Word(";");
        }
    }
    for (int i = 0; i < 4; ++i) {
        x.Word("}");
    }
    if (!x.AtEnd()) {
        throw std::runtime_error("text after the frame");
    }
    return read;
}

} // namespace

TEST(SeaXFile, ReadsBackAsTheMeshItWasWrittenFrom)
{
    const std::string text = BuildSeaXFile();
    EXPECT_LT(text.size(), 2u * 1024u * 1024u);
    ReadMesh read;
    try {
        read = ReadSeaFile(text);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }

    EXPECT_EQ(read.matrix[0], (std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    const SeaMesh mesh = BuildSeaMesh();
    ASSERT_EQ(read.positions.size(), mesh.vertices.size());
    ASSERT_EQ(read.normals.size(), mesh.vertices.size());
    ASSERT_EQ(read.textureCoords.size(), mesh.vertices.size());
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        const SeaVertex& v = mesh.vertices[i];
        // Positions keep a tenth of a millimetre, directions and coordinates five decimals.
        ASSERT_NEAR(read.positions[i][0], v.x, 6e-5) << i;
        ASSERT_NEAR(read.positions[i][1], v.y, 6e-5) << i;
        ASSERT_NEAR(read.positions[i][2], v.z, 6e-5) << i;
        ASSERT_NEAR(read.normals[i][0], v.nx, 6e-6) << i;
        ASSERT_NEAR(read.normals[i][1], v.ny, 6e-6) << i;
        ASSERT_NEAR(read.normals[i][2], v.nz, 6e-6) << i;
        ASSERT_NEAR(read.textureCoords[i][0], v.u, 6e-6) << i;
        ASSERT_NEAR(read.textureCoords[i][1], v.v, 6e-6) << i;
    }
    ASSERT_EQ(read.faces.size(), mesh.faces.size());
    ASSERT_EQ(read.normalFaces, read.faces);
    ASSERT_EQ(read.materialIndices, std::vector<double>(mesh.faces.size(), 0.0));
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const SeaFace& f = mesh.faces[i];
        ASSERT_EQ(read.faces[i], (std::vector<double>{double(f.a), double(f.b), double(f.c)})) << i;
    }
    // One opaque, dark blue-grey material with no shine and no glow of its own.
    ASSERT_EQ(read.material.size(), 11u);
    EXPECT_EQ(read.material[3], 1.0);
    EXPECT_LT(read.material[0], read.material[2]);
    EXPECT_LE(read.material[2], 0.2);
    EXPECT_TRUE(std::all_of(read.material.begin() + 4, read.material.end(), [](double v) { return v == 0.0; }));
}
