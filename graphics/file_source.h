// The picture readers' byte source over an opened data file: reads never go
// past the data, so a short file is a clean refusal instead of a short-read box.
#pragma once
#include <algorithm>

#include "core/byte_source.h"
#include "data/file_resource.h"

class CFileSource : public CByteSource {
public:
    explicit CFileSource(CFileResource& file) : m_file(file) {}

    size_t Read(void* buffer, size_t size) override {
        const size_t n = std::min<size_t>(size, m_file.GetRemaining());
        return n && m_file.ReadExact(buffer, n) ? n : 0;
    }
    uint64_t Remaining() const override { return m_file.GetRemaining(); }
    std::string Name() const override { return m_file.GetPath(); }

private:
    CFileResource& m_file;
};
