// One opened data file: from the pack archive or from disk, whole in memory
// or as a stream, read through one small interface whatever its origin. It is
// also a cache entry, so a resource cache can discard it and reopen it later.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/resource_cache.h"

class CPackFile;

enum FileOpenMode : uint8_t {
    kFileClosed = 0,
    kFileStream = 1,      // a stdio stream on a disk file
    kFileMemory = 2,      // the whole data in memory (a pack entry or given bytes)
    kFileCompressed = 3,  // the whole data of a compressed disk file, inflated
};

class CFileResource : public CCachedResource {
public:
    // Longest path kept, with its terminator.
    static constexpr size_t kPathCapacity = 128;

    CFileResource();
    ~CFileResource() override;
    CFileResource(const CFileResource&) = delete;
    CFileResource& operator=(const CFileResource&) = delete;

    // Opens path: from the pack when usePack is set and the pack holds it,
    // else the disk file. openMode 1 streams the file, 3 reads a compressed
    // file (u32 size, then a zlib stream) whole into memory. A stdio mode
    // that writes ("wb") writes a temporary file that replaces the target
    // when the file is closed.
    bool OpenFile(const char* path, int openMode, const char* stdioMode, bool usePack, CPackFile* pack);
    // The most bytes a file opened whole into memory may hold from now on: a
    // pack entry or compressed file that announces more is refused (with the
    // inflate error box) before anything is allocated for it.
    void SetMaxDataSize(uint32_t bytes) { m_maxDataSize = bytes; }
    // Takes a private copy of the bytes (mode 2).
    bool OpenMemory(const void* bytes, uint32_t count);
    // Reads the caller's bytes in place (mode 2); they must outlive the file.
    bool OpenBorrowedMemory(const void* bytes, uint32_t count);

    // count elements of size bytes. A full read returns size; a read that
    // reaches the end of memory data returns the bytes copied (0 at the end);
    // a short stream read shows the short-read box and returns the bytes read.
    uint32_t ReadBytes(void* buffer, uint32_t size, uint32_t count);
    // Reads exactly count bytes; false (and the short-read box for a stream)
    // when fewer are there.
    bool ReadExact(void* buffer, size_t count);
    bool Write(const void* buffer, uint32_t size, uint32_t count);
    // origin 0 start, 1 current, 2 end. In memory the position stays inside
    // the data: a target outside it is clamped and the result is false.
    bool Seek(int32_t offset, int origin);
    bool CloseFile();

    bool Release() override;
    void Reset() override;
    bool Restore() override;
    bool Discard() override;
    int32_t GetSize() override;
    bool IsDiscarded() override { return m_discarded; }

    uint8_t GetMode() const { return m_mode; }
    bool IsOpen() const { return m_mode != kFileClosed; }
    bool IsFromPack() const { return m_fromPack; }
    // Bytes of data (file length, or buffer length in memory).
    uint32_t GetDataSize() const { return m_size; }
    // The data in memory modes, null otherwise.
    const uint8_t* GetData() const { return m_mode >= kFileMemory ? m_data : nullptr; }
    uint32_t GetPosition() const;
    // Bytes between the position and the end of the data.
    uint32_t GetRemaining() const;
    const char* GetPath() const { return m_path; }

private:
    bool OpenFromPack(CPackFile* pack, uint32_t size, uint32_t storedSize, uint64_t offset);
    bool OpenCompressed(FILE* f);
    FILE* OpenDisk();
    size_t ReadInto(void* buffer, size_t size, size_t count);
    bool DropData(bool commit);
    void SetOwned(std::unique_ptr<uint8_t[]> buffer, uint32_t size);

    uint8_t m_mode = kFileClosed;
    uint8_t m_requestedMode = kFileClosed;  // the open mode asked for, kept for Restore
    uint32_t m_size = 0;
    char m_path[kPathCapacity] = {};
    char m_stdioMode[10] = {};
    bool m_discarded = false;
    bool m_borrowed = false;
    bool m_fromPack = false;
    FILE* m_stream = nullptr;
    std::string m_tempPath;  // a stream being written to replace m_path
    std::unique_ptr<uint8_t[]> m_buffer;
    const uint8_t* m_data = nullptr;
    uint32_t m_readPos = 0;
    uint32_t m_maxDataSize = UINT32_MAX;
};

// Opens a file through the file layer (the pack while it is used, else the
// disk) and reads it whole; fromPack, when given, tells where it came from.
// A file of more than maxBytes is refused (false) with the read-error box,
// before it is read.
bool ReadWholeDataFile(const char* path, std::vector<uint8_t>& out, bool* fromPack = nullptr,
                       uint32_t maxBytes = UINT32_MAX);

// The file layer's read-error box: "Cannot Read File [path] / part".
void ShowFileReadError(const char* path, const char* part);

// A data block with an array of records cut from it (texture images and
// animations keep their file data this way).
struct CRecord {
    uint8_t* m_buffer = nullptr;
    bool m_borrowed = false;  // the buffer belongs to somebody else (usually the block)
    uint32_t m_size = 0;
    ~CRecord();
};

class CRecordArray {
public:
    ~CRecordArray() { Free(); }
    bool Clear();  // forgets everything without freeing
    void Free();

    uint32_t m_blockSize = 0;
    uint8_t* m_block = nullptr;  // owned
    uint32_t m_recordCount = 0;
    CRecord* m_records = nullptr;  // owned, new[]
    uint32_t m_extra = 0;
};

// The entries of a resource cache's default kind, as files (installed at start-up).
IResourceEntryFactory& FileResourceFactory();
