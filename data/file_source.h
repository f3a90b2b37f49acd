// A byte source over an opened data file. By default reads never go past the
// data, so a short file is a clean refusal instead of a short-read box (the
// picture readers). With boxShortReads a read goes to the file as asked, so a
// short stream read shows the file's box, and it counts as no read at all.
#pragma once
#include <algorithm>

#include "core/byte_source.h"
#include "data/file_resource.h"

class CFileSource : public CByteSource {
public:
    explicit CFileSource(CFileResource& file, bool boxShortReads = false)
        : m_file(file), m_boxShortReads(boxShortReads) {}

    size_t Read(void* buffer, size_t size) override {
        if (m_boxShortReads) return m_file.ReadExact(buffer, size) ? size : 0;
        const size_t n = std::min<size_t>(size, m_file.GetRemaining());
        return n && m_file.ReadExact(buffer, n) ? n : 0;
    }
    uint64_t Remaining() const override { return m_file.GetRemaining(); }
    std::string Name() const override { return m_file.GetPath(); }

private:
    CFileResource& m_file;
    bool m_boxShortReads;
};
