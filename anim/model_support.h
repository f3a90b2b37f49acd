// What the toon-shaded objects and the map-object models share: screen
// rectangles, finding data files and loading model textures.
#pragma once
#include <cstdint>
#include <string>

class CTextureResource;

// A screen rectangle of a model; left > right means empty.
struct ModelRect {
    int32_t left = 9999, top = 9999, right = -9999, bottom = -9999;
    bool Empty() const { return left > right || top > bottom; }
};

// True when the pack (while it is used) or the disk holds the file.
bool DataFileExists(const char* path);

// Loads "<folder>/<title>.<extension>" of a texture file name (any folder part
// of the name dropped; the whole path upper-cased) through the Direct3D
// layer's texture cache, holding one use of it. 0 when there is no Direct3D
// layer or the file is missing or unreadable (the model stays untextured).
uint32_t LoadModelTexture(const std::string& folder, const std::string& fileName);
// Gives back the use LoadModelTexture took and clears the id.
void ReleaseModelTexture(uint32_t& id);
// The texture of an id (null for 0 or a texture that is gone).
CTextureResource* GetModelTexture(uint32_t id);
