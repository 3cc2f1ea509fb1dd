// SPDX-License-Identifier: GPL-3.0-or-later
// The text X-file writer. Every data member ends with ';'; array elements are separated by ',' and
// the array itself ends with ';', so the last vertex of a list reads "x;y;z;;".
#include "tools/mediagen/x_file_writer.h"

#include <charconv>
#include <initializer_list>

namespace {

// Positions to a tenth of a millimetre; normals and texture coordinates a little finer.
constexpr int kPositionDecimals = 4;
constexpr int kDirectionDecimals = 5;

void AppendNumber(std::string& out, double value, int decimals)
{
    out += FormatXNumber(value, decimals);
    out += ';';
}

struct VertexField {
    float SeaVertex::*member;
    int decimals;
};

// The vertex count, then one array element per vertex made of the given members.
void AppendVertexArray(std::string& out, const SeaMesh& mesh, const char* indent,
                       std::initializer_list<VertexField> fields)
{
    out += std::to_string(mesh.vertices.size());
    out += ";\n";
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        out += indent;
        for (const VertexField& field : fields) {
            AppendNumber(out, mesh.vertices[i].*field.member, field.decimals);
        }
        out += i + 1 < mesh.vertices.size() ? ",\n" : ";\n";
    }
}

void AppendIndexFaces(std::string& out, const SeaMesh& mesh, const char* indent)
{
    out += indent;
    out += std::to_string(mesh.faces.size());
    out += ";\n";
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const SeaFace& f = mesh.faces[i];
        out += indent;
        out += "3;";
        out += std::to_string(f.a);
        out += ',';
        out += std::to_string(f.b);
        out += ',';
        out += std::to_string(f.c);
        out += i + 1 < mesh.faces.size() ? ";,\n" : ";;\n";
    }
}

void AppendMatrix(std::string& out)
{
    out += "  FrameTransformMatrix {\n";
    for (int row = 0; row < 4; ++row) {
        out += "   ";
        for (int col = 0; col < 4; ++col) {
            out += row == col ? "1.000000" : "0.000000";
            out += row == 3 && col == 3 ? ";;" : ",";
        }
        out += '\n';
    }
    out += "  }\n";
}

void AppendMaterial(std::string& out, const XMaterialColours& m)
{
    out += "    Material {\n     ";
    for (float c : m.diffuse) {
        AppendNumber(out, c, 6);
    }
    out += ";\n     ";
    AppendNumber(out, m.power, 6);
    out += "\n     ";
    for (float c : m.specular) {
        AppendNumber(out, c, 6);
    }
    out += ";\n     ";
    for (float c : m.emissive) {
        AppendNumber(out, c, 6);
    }
    out += ";\n    }\n";
}

} // namespace

std::string FormatXNumber(double value, int decimals)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        return "0";
    }
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

std::string FormatXFile(const XFileContent& content)
{
    const SeaMesh& mesh = *content.mesh;
    std::string out;
    // About 90 bytes a vertex and 45 a face; reserving once keeps the build of a large mesh quick.
    out.reserve(mesh.vertices.size() * 90 + mesh.faces.size() * 45 + 1024);
    out += "xof 0303txt 0032\n\n";
    out += "Frame ";
    out += content.frameName;
    out += " {\n";
    AppendMatrix(out);

    out += "  Mesh ";
    out += content.meshName;
    out += " {\n   ";
    AppendVertexArray(out, mesh, "   ",
                      {{&SeaVertex::x, kPositionDecimals}, {&SeaVertex::y, kPositionDecimals},
                       {&SeaVertex::z, kPositionDecimals}});
    AppendIndexFaces(out, mesh, "   ");

    out += "   MeshNormals {\n    ";
    AppendVertexArray(out, mesh, "    ",
                      {{&SeaVertex::nx, kDirectionDecimals}, {&SeaVertex::ny, kDirectionDecimals},
                       {&SeaVertex::nz, kDirectionDecimals}});
    // Normals are per vertex, so each face names its normals with its vertex indices.
    AppendIndexFaces(out, mesh, "    ");
    out += "   }\n";

    out += "   MeshTextureCoords {\n    ";
    AppendVertexArray(out, mesh, "    ", {{&SeaVertex::u, kDirectionDecimals}, {&SeaVertex::v, kDirectionDecimals}});
    out += "   }\n";

    out += "   MeshMaterialList {\n    1;\n    ";
    out += std::to_string(mesh.faces.size());
    out += ";\n";
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        // Many indices to a line keeps the list short.
        out += i % 32 == 0 ? "    0" : "0";
        out += i + 1 < mesh.faces.size() ? (i % 32 == 31 ? ",\n" : ",") : ";\n";
    }
    AppendMaterial(out, content.material);
    out += "   }\n";
    out += "  }\n";
    out += "}\n";
    return out;
}
