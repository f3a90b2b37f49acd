// Model files for the tests, built from their readable form with the tool's code.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/qmmodel/model_tool.h"

namespace modeltest {

inline std::vector<uint8_t> Build(ModelFileKind kind, const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(BuildModelFile(kind, text, bytes, &error)) << error << "\n" << text;
    return bytes;
}

inline std::string Str(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline std::vector<std::array<int, 4>> CubeFaces();

// A toon node: a cube of side 1 around the origin, 8 corners with normals
// pointing out through them, 12 triangles wound so that the faces turned to
// the viewer are the ones drawn.
inline std::string CubeNodeText(const std::string& name, int kind = 0, int material = 0) {
    std::string t = "node name \"" + name + "\" kind " + std::to_string(kind) + " material " +
                    std::to_string(material) + " vertices 8\n positions";
    const float s = 0.5f, n = 0.57735026f;
    for (int i = 0; i < 8; ++i) {
        const float x = (i & 1) ? s : -s, y = (i & 2) ? s : -s, z = (i & 4) ? s : -s;
        t += "  " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z);
    }
    t += "\n normals";
    for (int i = 0; i < 8; ++i)
        t += "  " + std::to_string((i & 1) ? n : -n) + " " + std::to_string((i & 2) ? n : -n) + " " +
             std::to_string((i & 4) ? n : -n);
    t += "\n uvs";
    for (int i = 0; i < 8; ++i) t += std::string("  ") + ((i & 1) ? "1" : "0") + " " + ((i & 2) ? "0" : "1");
    t += "\n groups 1 group sub_material 0 triangles 12 indices";
    for (const auto& q : CubeFaces())
        t += "  " + std::to_string(q[0]) + " " + std::to_string(q[1]) + " " + std::to_string(q[2]) + "  " +
             std::to_string(q[2]) + " " + std::to_string(q[3]) + " " + std::to_string(q[0]);
    t += "\n end\nend\n";
    return t;
}

// The four corners of each face of a cube of side 1 around the origin (corner
// i has x, y, z from bits 0, 1, 2), in order round the face, turned so that
// (p1 - p0) x (p2 - p1) points into the cube: the winding of faces that are
// drawn when they face the viewer.
inline std::vector<std::array<int, 4>> CubeFaces() {
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    auto corner = [](int i, int a) { return ((i >> a) & 1) ? 0.5f : -0.5f; };
    std::vector<std::array<int, 4>> out;
    for (const auto& f : faces) {
        float c[3] = {0, 0, 0}, e1[3], e2[3];
        for (int a = 0; a < 3; ++a) {
            for (int k = 0; k < 4; ++k) c[a] += corner(f[k], a) / 4;
            e1[a] = corner(f[1], a) - corner(f[0], a);
            e2[a] = corner(f[2], a) - corner(f[1], a);
        }
        const float cr[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        std::array<int, 4> q = {f[0], f[1], f[2], f[3]};
        if (cr[0] * c[0] + cr[1] * c[1] + cr[2] * c[2] > 0) std::swap(q[1], q[3]);
        out.push_back(q);
    }
    return out;
}

inline std::string Num(float v) {
    char t[32];
    std::snprintf(t, sizeof t, "%g", double(v));
    return t;
}

// A map-object mesh of one textured cube node (24 vertices, each face with
// the whole texture), white vertex colours.
inline std::string MapCubeText(const std::string& texture, int twoSided = 0, int shadeMode = 0) {
    std::string t = "version 1 materials 1 nodes 1\nmaterial name \"cube\" two_sided " +
                    std::to_string(twoSided) + " shade_mode " + std::to_string(shadeMode) + " has_texture " +
                    (texture.empty() ? "0" : "1");
    if (!texture.empty()) t += " texture \"" + texture + "\" has_image_list 0";
    t += " end\nnode type 0 name \"Cube\" id 1 geometry 24 12 0\n indices";
    for (int f = 0; f < 6; ++f) {
        const int b = f * 4;
        t += "  " + std::to_string(b) + " " + std::to_string(b + 1) + " " + std::to_string(b + 2) + " " +
             std::to_string(b + 2) + " " + std::to_string(b + 3) + " " + std::to_string(b);
    }
    t += "\n vertices";
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& q : CubeFaces())
        for (int k = 0; k < 4; ++k) {
            const int i = q[k];
            t += "\n  " + Num((i & 1) ? 0.5f : -0.5f) + " " + Num((i & 2) ? 0.5f : -0.5f) + " " +
                 Num((i & 4) ? 0.5f : -0.5f) + " 0 0xFFFFFFFF 0 " + Num(uv[k][0]) + " " + Num(uv[k][1]);
        }
    t += "\n faces";
    for (int i = 0; i < 12; ++i) t += "  " + std::to_string(i) + " 0 0 0 0";
    t += "\n material 0 bounds_min -0.5 -0.5 -0.5 bounds_max 0.5 0.5 0.5\nend\n";
    return t;
}

}  // namespace modeltest
