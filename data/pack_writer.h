// Writes pack archives: a tree of named folders and files, each file stored as
// one zlib stream, names XOR the key. Used by the qmpack tool and by tests,
// which may also override an entry's stored bytes or stated size to make
// damaged packs.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct PackFilePlan {
    std::string name;
    std::vector<uint8_t> data;
    std::optional<std::vector<uint8_t>> storedOverride;  // stored as is instead of compressing data
    std::optional<uint32_t> sizeOverride;                // stated size instead of data.size()
};

struct PackDirPlan {
    std::string name;
    std::vector<PackDirPlan> dirs;
    std::vector<PackFilePlan> files;

    // Finds or adds the folder path ('/'-separated) below this one.
    PackDirPlan& Folder(const std::string& path);
    // Adds a file at path ('/'-separated, folders made on the way).
    PackFilePlan& AddFile(const std::string& path, std::vector<uint8_t> data);
    PackFilePlan& AddFile(const std::string& path, const std::string& text);
};

// The bytes of a pack holding root; an empty result and a message in error
// when a name is longer than 255 bytes or data does not compress.
std::vector<uint8_t> BuildPack(const PackDirPlan& root, uint8_t key, std::string* error = nullptr);

// Reads a folder tree of the file system into a layout (entries sorted by name);
// the root takes the folder's own name. False with a message on failure.
bool LoadPackTree(const std::string& folder, PackDirPlan& root, std::string* error = nullptr);

// A compressed loose file: u32 inflated size, then one zlib stream.
std::vector<uint8_t> BuildCompressedFile(const std::vector<uint8_t>& data);
