// Animation files the benchmarks write: eight image frames a motion, for the
// motions and the direction given, under each of the names in the folder.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "anim/ani_file.h"
#include "platform/paths.h"

inline void WriteBenchAnimations(const std::string& folder, const std::vector<uint32_t>& motions,
                                 uint8_t direction, std::initializer_list<const char*> names) {
    AniFile file;
    file.version = 14;
    for (uint32_t m : motions) {
        AniFileDirection dir;
        dir.direction = direction;
        AniFileLayer layer;
        for (int i = 0; i < 8; ++i) {
            AniFileElement e;
            e.kind = ANI_NODE_IMAGE;
            e.start = uint16_t(i * 2);
            layer.elements.push_back(e);
        }
        dir.layers.push_back(layer);
        file.motions.push_back({m, {dir}});
    }
    DeclarePools(file);
    const std::vector<uint8_t> bytes = WriteAniFile(file);
    for (const char* name : names)
        plat::WriteFileAtomic(folder + "/" + name + ".z5a", bytes.data(), bytes.size());
}
