#include "data/file_resource.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/byte_source.h"
#include "data/data_boxes.h"
#include "data/pack_archive.h"
#include "data/pack_format.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "data/whole_inflate.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

bool IsWriteMode(const char* stdioMode) {
    return std::strpbrk(stdioMode, "wa+") != nullptr;
}

std::unique_ptr<uint8_t[]> Allocate(size_t count) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[count ? count : 1]);
}

void ShowInflateError(int result, const char* path, uint32_t expected) {
    char text[512];
    if (result == Z_BUF_ERROR)
        std::snprintf(text, sizeof text, "Cannot Uncompress File [%s] (buffer error - expected: %u)", path,
                      expected);
    else if (result == Z_MEM_ERROR)
        std::snprintf(text, sizeof text, "Cannot Uncompress File [%s] (not enough memory)", path);
    else
        std::snprintf(text, sizeof text, "Cannot Uncompress File [%s] (corrupted/incomplete data)", path);
    databox::Error(text);
}

// A resource cache asked for an entry of its default kind makes a file.
class CFileResourceFactory : public IResourceEntryFactory {
public:
    CCachedResource* NewEntry() override { return new CFileResource; }
};

}  // namespace

IResourceEntryFactory& FileResourceFactory() {
    static CFileResourceFactory factory;
    return factory;
}

CFileResource::CFileResource() {
    CFileResource::Reset();
}

CFileResource::~CFileResource() {
    if (IsOpen()) CloseFile();
    CFileResource::Reset();
}

void CFileResource::SetOwned(std::unique_ptr<uint8_t[]> buffer, uint32_t size) {
    m_buffer = std::move(buffer);
    m_data = m_buffer.get();
    m_size = size;
    m_readPos = 0;
    m_borrowed = false;
}

bool CFileResource::OpenFile(const char* path, int openMode, const char* stdioMode, bool usePack,
                             CPackFile* pack) {
    Release();
    if (!path || !stdioMode) return false;
    if (std::strlen(path) >= kPathCapacity) {
        char text[512];
        std::snprintf(text, sizeof text, "CFileResource::OpenFile() Error, path too long [%.400s]", path);
        databox::Error(text);
        return false;
    }
    uint8_t mode = openMode == kFileCompressed && g_bUseCompressedFiles ? kFileCompressed : kFileStream;
    m_requestedMode = mode;
    std::strcpy(m_path, path);
    std::snprintf(m_stdioMode, sizeof m_stdioMode, "%s", stdioMode);
    m_fromPack = usePack;

    FILE* f = nullptr;
    for (;;) {
        if (usePack && pack) {
            uint32_t size = 0, storedSize = 0;
            uint64_t offset = 0;
            if (pack->LocatePackEntry(m_path, &size, &storedSize, &offset))
                return OpenFromPack(pack, size, storedSize, offset);
        }
        usePack = false;  // a pack that missed is not asked again
        m_fromPack = false;
        f = OpenDisk();
        if (f) break;
        std::string text = std::string(GetTableText(0, 11)) + " [" + m_path + "]";
        if (!databox::RetryCancel(text, GetTableText(0, 12))) return false;
    }

    if (m_tempPath.empty()) {
        long length = -1;
        if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        m_size = length < 0 ? 0 : uint32_t(std::min<long>(length, UINT32_MAX));
    } else {
        m_size = 0;
    }
    if (mode == kFileCompressed) {
        if (!OpenCompressed(f)) return false;
    } else {
        m_stream = f;
        m_mode = kFileStream;
    }
    m_discarded = false;
    return true;
}

FILE* CFileResource::OpenDisk() {
    const char* stdioMode = m_requestedMode == kFileCompressed ? "rb" : m_stdioMode;
    if (plat::DirectoryExists(m_path)) return nullptr;  // stdio would open a folder for reading
    if (std::strchr(stdioMode, 'w') && !std::strchr(stdioMode, '+'))
        return plat::OpenReplacement(m_path, stdioMode, &m_tempPath);
    return plat::OpenFile(m_path, stdioMode);
}

bool CFileResource::OpenFromPack(CPackFile* pack, uint32_t size, uint32_t storedSize, uint64_t offset) {
    if (size > pack::MaxInflatedSize(storedSize) || size > m_maxDataSize) {
        ShowInflateError(Z_DATA_ERROR, m_path, size);
        return false;
    }
    auto data = Allocate(size);
    if (!data) {
        ShowInflateError(Z_MEM_ERROR, m_path, size);
        return false;
    }
    const uint8_t* stored = pack->ReadStoredAt(offset, storedSize);
    if (!stored) {
        ShowFileReadError(m_path, "body");
        return false;
    }
    size_t length = 0;
    const int result = InflateWhole(data.get(), size, stored, storedSize, &length);
    if (result != Z_OK || length != size) {
        ShowInflateError(result == Z_OK ? Z_DATA_ERROR : result, m_path, size);
        return false;
    }
    SetOwned(std::move(data), size);
    m_mode = kFileMemory;
    m_fromPack = true;
    m_discarded = false;
    return true;
}

bool CFileResource::OpenCompressed(FILE* f) {
    uint8_t header[4];
    uint32_t fileSize = m_size;
    m_size = 0;
    if (fileSize < 4 || std::fread(header, 1, 4, f) != 4) {
        std::fclose(f);
        ShowFileReadError(m_path, "header");
        return false;
    }
    uint32_t expected = LoadU32Le(header);
    uint32_t bodySize = fileSize - 4;
    // The announced size is checked before anything is read or allocated.
    if (expected > pack::MaxInflatedSize(bodySize) || expected > m_maxDataSize) {
        std::fclose(f);
        ShowInflateError(Z_DATA_ERROR, m_path, expected);
        return false;
    }
    auto body = Allocate(bodySize);
    if (!body) {
        std::fclose(f);
        ShowInflateError(Z_MEM_ERROR, m_path, expected);
        return false;
    }
    bool complete = std::fread(body.get(), 1, bodySize, f) == bodySize;
    std::fclose(f);
    if (!complete) {
        ShowFileReadError(m_path, "body");
        return false;
    }
    auto data = Allocate(expected);
    if (!data) {
        ShowInflateError(Z_MEM_ERROR, m_path, expected);
        return false;
    }
    size_t length = 0;
    const int result = InflateWhole(data.get(), expected, body.get(), bodySize, &length);
    if (result != Z_OK) {
        ShowInflateError(result, m_path, expected);
        return false;
    }
    SetOwned(std::move(data), uint32_t(length));
    m_mode = kFileCompressed;
    return true;
}

bool CFileResource::OpenMemory(const void* bytes, uint32_t count) {
    Release();
    auto data = Allocate(count);
    if (!data) return false;
    if (count) std::memcpy(data.get(), bytes, count);
    SetOwned(std::move(data), count);
    m_mode = kFileMemory;
    m_requestedMode = kFileMemory;
    return true;
}

bool CFileResource::OpenBorrowedMemory(const void* bytes, uint32_t count) {
    Release();
    m_data = static_cast<const uint8_t*>(bytes);
    m_size = bytes ? count : 0;
    m_readPos = 0;
    m_borrowed = true;
    m_mode = kFileMemory;
    m_requestedMode = kFileMemory;
    return true;
}

size_t CFileResource::ReadInto(void* buffer, size_t size, size_t count) {
    size_t total = size * count;
    if (m_mode == kFileStream) {
        size_t got = total ? std::fread(buffer, 1, total, m_stream) : 0;
        if (got < total) {
            std::string text = FormatTableText(GetTableText(22, 2), {uint64_t(count), uint64_t(got / size)});
            databox::Error(text);
        }
        return got;
    }
    if (m_mode == kFileClosed) return 0;
    size_t n = std::min<size_t>(total, m_size - m_readPos);
    if (n) std::memcpy(buffer, m_data + m_readPos, n);
    m_readPos += uint32_t(n);
    return n;
}

uint32_t CFileResource::ReadBytes(void* buffer, uint32_t size, uint32_t count) {
    uint64_t total = uint64_t(size) * count;
    if (m_mode == kFileStream) {
        size_t got = ReadInto(buffer, size, count);
        return got == total ? size : uint32_t(got);
    }
    if (m_mode == kFileClosed || m_readPos >= m_size) return 0;
    if (m_readPos + total < m_size) {
        ReadInto(buffer, size, count);
        return size;
    }
    return uint32_t(ReadInto(buffer, 1, m_size - m_readPos));
}

bool CFileResource::ReadExact(void* buffer, size_t count) {
    return ReadInto(buffer, 1, count) == count;
}

bool CFileResource::Write(const void* buffer, uint32_t size, uint32_t count) {
    if (m_mode != kFileStream) return false;
    return std::fwrite(buffer, size, count, m_stream) == count;
}

bool CFileResource::Seek(int32_t offset, int origin) {
    if (m_mode == kFileStream) {
        int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
        return whence >= 0 && std::fseek(m_stream, offset, whence) == 0;
    }
    if (m_mode == kFileClosed) return false;
    int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t(m_readPos) : origin == 2 ? int64_t(m_size) : -1;
    if (base < 0) return false;
    int64_t target = base + offset;
    if (target < 0 || target > int64_t(m_size)) {
        m_readPos = target < 0 ? 0 : m_size;
        return false;
    }
    m_readPos = uint32_t(target);
    return true;
}

uint32_t CFileResource::GetPosition() const {
    if (m_mode == kFileStream) {
        long pos = std::ftell(m_stream);
        return pos < 0 ? 0 : uint32_t(std::min<long>(pos, UINT32_MAX));
    }
    return m_mode == kFileClosed ? 0 : m_readPos;
}

uint32_t CFileResource::GetRemaining() const {
    uint32_t pos = GetPosition();
    return m_mode == kFileClosed || pos >= m_size ? 0 : m_size - pos;
}

// Closes the stream (a file being written replaces its target only when
// commit is set) and frees the data.
bool CFileResource::DropData(bool commit) {
    bool ok = true;
    if (m_stream) {
        if (m_tempPath.empty())
            std::fclose(m_stream);
        else if (commit)
            ok = plat::CommitReplacement(m_stream, m_tempPath, m_path);
        else
            plat::AbandonReplacement(m_stream, m_tempPath);
    }
    m_stream = nullptr;
    m_tempPath.clear();
    m_buffer.reset();
    m_data = nullptr;
    m_readPos = 0;
    m_mode = kFileClosed;
    return ok;
}

bool CFileResource::CloseFile() {
    return DropData(true);
}

bool CFileResource::Release() {
    if (IsOpen()) CloseFile();
    CFileResource::Reset();
    return true;
}

void CFileResource::Reset() {
    DropData(false);
    m_discarded = false;
    m_borrowed = false;
    m_fromPack = false;
}

bool CFileResource::Restore() {
    bool reopen = m_discarded || IsOpen();
    if (!reopen) {
        CFileResource::Reset();
        return true;
    }
    // Given bytes and files being written cannot be read again.
    if (m_requestedMode == kFileMemory || IsWriteMode(m_stdioMode)) return IsOpen();
    char path[kPathCapacity];
    char stdioMode[sizeof m_stdioMode];
    std::memcpy(path, m_path, sizeof path);
    std::memcpy(stdioMode, m_stdioMode, sizeof stdioMode);
    return OpenFile(path, m_requestedMode, stdioMode, g_bUsePackFile, g_pPackFile);
}

bool CFileResource::Discard() {
    bool result = IsOpen() ? CloseFile() : false;
    m_discarded = true;
    return result;
}

int32_t CFileResource::GetSize() {
    return m_mode == kFileMemory || m_mode == kFileCompressed
               ? int32_t(std::min<uint32_t>(m_size, INT32_MAX - 4) + 4)
               : 4;
}

CRecord::~CRecord() {
    if (!m_borrowed) delete[] m_buffer;
}

bool CRecordArray::Clear() {
    m_blockSize = 0;
    m_block = nullptr;
    m_recordCount = 0;
    m_records = nullptr;
    m_extra = 0;
    return true;
}

void CRecordArray::Free() {
    delete[] m_records;
    delete[] m_block;
    m_records = nullptr;
    m_block = nullptr;
}

void ShowFileReadError(const char* path, const char* part) {
    char text[512];
    std::snprintf(text, sizeof text, "Cannot Read File [%s] / %s", path ? path : "", part ? part : "");
    databox::Error(text);
}

bool ReadWholeDataFile(const char* path, std::vector<uint8_t>& out, bool* fromPack, uint32_t maxBytes) {
    out.clear();
    CFileResource file;
    file.SetMaxDataSize(maxBytes);
    if (!file.OpenFile(path, kFileStream, "rb", g_bUsePackFile, g_pPackFile)) return false;
    if (fromPack) *fromPack = file.IsFromPack();
    if (file.GetRemaining() > maxBytes) {
        file.CloseFile();
        ShowFileReadError(path, "size");
        return false;
    }
    out.assign(file.GetRemaining(), 0);
    const bool ok = out.empty() || file.ReadExact(out.data(), out.size());
    file.CloseFile();
    return ok;
}
