// Model files for the tests, built from their readable form with the tool's code.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "anim/tools/model_tool.h"

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
    // Each face as four corners in order round it; the triangles' cross
    // product (p1 - p0) x (p2 - p1) points into the cube.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    t += "\n groups 1 group sub_material 0 triangles 12 indices";
    auto corner = [](int i) {
        return std::vector<float>{(i & 1) ? 0.5f : -0.5f, (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.5f : -0.5f};
    };
    for (const auto& f : faces) {
        // Orient: the face's outward direction is its centre.
        std::vector<float> c(3, 0), p0 = corner(f[0]), p1 = corner(f[1]), p2 = corner(f[2]);
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a) c[a] += corner(f[k])[a] / 4;
        const float e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float e2[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
        const float cr[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        const bool inward = cr[0] * c[0] + cr[1] * c[1] + cr[2] * c[2] < 0;
        int q[4] = {f[0], f[1], f[2], f[3]};
        if (!inward) std::swap(q[1], q[3]);
        t += "  " + std::to_string(q[0]) + " " + std::to_string(q[1]) + " " + std::to_string(q[2]) + "  " +
             std::to_string(q[2]) + " " + std::to_string(q[3]) + " " + std::to_string(q[0]);
    }
    t += "\n end\nend\n";
    return t;
}

}  // namespace modeltest
