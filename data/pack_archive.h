// The pack archive: one file holding a tree of zlib-compressed entries, looked
// up by path (case-insensitive for ASCII, either separator). The index is read
// on demand, one directory node at a time, and every record is checked against
// the bytes of its node before it is used: a damaged index makes the lookups
// that reach the damage fail, never read outside the file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPackFile {
public:
    CPackFile();
    virtual ~CPackFile();
    CPackFile(const CPackFile&) = delete;
    CPackFile& operator=(const CPackFile&) = delete;

    // Opens the pack and checks its header; shows "OpenPack Faild." and returns
    // false when it cannot.
    bool OpenPack(const char* path);
    // Reads and checks the 15-byte header of stream (positioned at its start).
    bool CheckPackHeader(FILE* stream);
    // The pack stream positioned at the stored bytes of the file that path
    // names, with its sizes; null (both sizes 0) when the pack has none.
    FILE* FindPackEntry(const char* path, uint32_t* size, uint32_t* storedSize);
    // The same lookup without moving the stream: the stored bytes' offset in
    // the pack, for ReadStoredAt. False (all 0) when the pack has none.
    bool LocatePackEntry(const char* path, uint32_t* size, uint32_t* storedSize, uint64_t* dataOffset);
    void Close();

    bool IsOpen() const { return m_stream != nullptr; }
    const std::string& GetPath() const { return m_path; }
    uint8_t GetNameKey() const { return m_nameKey; }

    // Reads count stored bytes at the stream's position into a buffer the pack
    // keeps for reuse; null on a short read.
    const uint8_t* ReadStored(uint32_t count);
    // The count stored bytes at offset, the stream's position untouched; null
    // when they pass the end of the pack or a read fails. Small entries come
    // from a read-ahead window (entries read in turn mostly lie side by side),
    // larger ones through the same buffer as ReadStored. Valid until the next
    // read.
    const uint8_t* ReadStoredAt(uint64_t offset, uint32_t count);
    // The size of one read-ahead.
    static constexpr uint32_t kReadWindow = 64 * 1024;

    // Every directory and file of the tree, depth first in stored order; the
    // path is relative to the root, '/'-separated, names as stored. Returns
    // false when part of the index is damaged (what could be read is visited).
    struct EntryInfo {
        std::string path;
        bool isDirectory = false;
        uint32_t size = 0;
        uint32_t storedSize = 0;
    };
    bool ForEachEntry(const std::function<void(const EntryInfo&)>& visit);
    // The root node's own name, as stored.
    std::string GetRootName();

private:
    struct SubDir {
        std::string key;   // last component, folded
        std::string name;  // as stored (decoded)
        uint64_t offset;   // its node
        uint64_t end;
    };
    struct FileRec {
        std::string key;
        std::string name;
        uint32_t size;
        uint32_t storedSize;
        uint64_t dataOffset;
    };
    struct Node {
        bool nameOk = false;  // the node's own name could be read
        std::string key;      // its last component, folded
        std::string name;
        std::vector<SubDir> dirs;
        std::vector<FileRec> files;
        std::unordered_map<std::string, uint32_t> dirIndex;  // first match wins
        std::unordered_map<std::string, uint32_t> fileIndex;
        bool complete = false;  // every record of the node was read
    };

    const Node* GetNode(uint64_t offset, uint64_t end);
    bool ReadAt(uint64_t offset, void* buffer, size_t count);
    bool ReadU32(uint64_t& offset, uint64_t end, uint32_t& value);
    bool ReadName(uint64_t& offset, uint64_t end, std::string& name);

    FILE* m_stream = nullptr;
    std::string m_path;
    uint8_t m_nameKey = 0;
    uint64_t m_fileSize = 0;
    std::unordered_map<uint64_t, std::unique_ptr<Node>> m_nodes;
    std::vector<uint8_t> m_scratch;
    std::vector<uint8_t> m_window;
    uint64_t m_windowStart = 0;
    uint32_t m_windowSize = 0;  // 0: the window holds nothing
};

// The program's pack archive (null while none is open) and the program-wide
// switches every data read passes on (both on in this program).
extern CPackFile* g_pPackFile;
extern bool g_bUsePackFile;
extern bool g_bUseCompressedFiles;
