#include "anim/model_motion.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/util.h"
#include "platform/clock.h"

namespace {

Vec3 g_rippleCentre{0.0f, 0.0f, 0.0f};

constexpr float kDegree = 0.0174532f;
constexpr float kSin30 = 0.5f, kCos30 = 0.8660254f;

// Re-lights a displaced node face by face from (1, 1, -2): shade d^5 where the
// face is turned to the light, 0 where it is turned away.
void RelightSea(const ModelNode& node, ModelNodeCopy& copy) {
    Vec3 light;
    Vec3Normalize(&light, Vec3{1.0f, 1.0f, -2.0f});
    for (const ModelFace& face : node.faces) {
        const uint16_t* t = &copy.indices[size_t(face.triangle) * 3];
        const Vec3 p0 = PositionOf(copy.vertices[t[0]]), p1 = PositionOf(copy.vertices[t[1]]),
                   p2 = PositionOf(copy.vertices[t[2]]);
        Vec3 n;
        Vec3Cross(&n, Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z},
                  Vec3{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z});
        Vec3Normalize(&n, n);
        const float d = Vec3Dot(light, n);
        const float shade = d > 0.0f ? d * d * d * d * d : 0.0f;
        const uint32_t a = uint32_t((1.0f - shade) * 255.0f), g = uint32_t(shade * 255.0f);
        const uint32_t colour = a << 24 | g << 16 | g << 8 | g;
        for (int k = 0; k < 3; ++k) copy.vertices[t[k]].specular = colour;
    }
}

}  // namespace

Vec3 GetRippleCentre() {
    return g_rippleCentre;
}

void SetRippleCentre(const Vec3& centre) {
    g_rippleCentre = centre;
}

NamedNode ClassifyNodeName(const char* name) {
    if (!name) return NamedNode::kOther;
    std::string title(name, strnlen(name, 32));
    const size_t slash = title.find_last_of("/\\");
    if (slash != std::string::npos) title = title.substr(slash + 1);
    const size_t dot = title.find_last_of('.');
    if (dot != std::string::npos) title.resize(dot);
    StrToUpper(title.data());
    if (!title.empty() && title[0] == '"') title.erase(0, 1);
    if (title == "CENTEROBJ") return NamedNode::kCentre;
    if (title == "SEAOBJ") return NamedNode::kSea;
    if (title == "SEAOBJ2") return NamedNode::kSea2;
    return NamedNode::kOther;
}

void AnimateNamedNodes(const std::vector<ModelNode>& nodes, std::vector<ModelNodeCopy>& copy) {
    const int phase = int((plat::timeGetTime() % 1440) / 4);
    // The centre: the first vertex of the first centre node, as the copy holds it now.
    for (size_t i = 0; i < nodes.size() && i < copy.size(); ++i)
        if (ClassifyNodeName(nodes[i].name.c_str()) == NamedNode::kCentre && !copy[i].vertices.empty()) {
            g_rippleCentre = PositionOf(copy[i].vertices[0]);
            break;
        }
    const Vec3 c = g_rippleCentre;
    for (size_t i = 0; i < nodes.size() && i < copy.size(); ++i) {
        copy[i].vertices = nodes[i].vertices;
        const NamedNode kind = ClassifyNodeName(nodes[i].name.c_str());
        if (kind != NamedNode::kSea && kind != NamedNode::kSea2) continue;
        for (ModelVertex& v : copy[i].vertices) {
            const float r = GetDistance3D(c.x, c.y, c.z, v.x, v.y, v.z);
            float a;
            if (kind == NamedNode::kSea) {
                a = std::sin((r * 1000.0f + float(phase)) * kDegree) * (1.0f / 14.0f);
            } else {
                // The amplitude falls off with the distance; the centre itself stays still.
                const float s = std::sin((-400.0f * r + float(phase)) * kDegree);
                a = r > 0.0f ? s / (20.0f * r) : 0.0f;
            }
            v.y += a * kSin30;
            v.z -= a * kCos30;
        }
        RelightSea(nodes[i], copy[i]);
    }
}
