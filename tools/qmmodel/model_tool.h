// qmmodel: writes the 3D model files from their readable form and dumps them.
//   qmmodel build TEXT OUT [KIND]   write the file described in TEXT
//   qmmodel dump FILE [KIND]        print the file as the client loads it
// KIND is obj, ani, mat (toon-shaded objects), msh or kfd (map-object models);
// without it the extension of OUT or FILE tells. The readable form lists the
// fields of the layout in file order ("name value"), nested records as
// "node ... end"; a field left out keeps its default. Counts come before the
// lists they size ("vertices 3" then "positions ..."), and a map-object node
// gives its vertex and face counts as its first two "geometry" words.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

enum class ModelFileKind { kUnknown, kToonMesh, kToonAnim, kToonMaterial, kMapMesh, kKeyframes };

// By the name of a kind ("obj") or a path's extension (any case).
ModelFileKind ModelFileKindOf(std::string_view nameOrPath);

bool BuildModelFile(ModelFileKind kind, std::string_view text, std::vector<uint8_t>& out,
                    std::string* error = nullptr);
// Loads the bytes as the client does (checks included) and gives the readable form.
bool DumpModelFile(ModelFileKind kind, const std::vector<uint8_t>& bytes, std::string& text,
                   std::string* error = nullptr);

int RunModelTool(const std::vector<std::string>& args, FILE* out, FILE* err);
