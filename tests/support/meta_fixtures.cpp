#include "tests/support/meta_fixtures.h"

#include <zlib.h>

#include <cstdlib>

#include "data/meta_cache.h"

namespace qmtest {

namespace {
void PutU16Be(std::vector<uint8_t>& out, size_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}
}  // namespace

std::vector<uint8_t> MetaRowsData(const std::vector<std::vector<std::string>>& rows) {
    std::vector<uint8_t> out;
    PutU16Be(out, rows.size());
    for (const auto& row : rows) {
        std::string first = row.empty() ? std::string() : row[0];
        out.push_back(uint8_t(first.size()));
        out.insert(out.end(), first.begin(), first.end());
        PutU16Be(out, row.empty() ? 1 : row.size());
        for (size_t c = 1; c <= row.size(); ++c) {
            std::string cell = c < row.size() ? row[c] : "(dropped)";
            PutU16Be(out, cell.size());
            out.insert(out.end(), cell.begin(), cell.end());
        }
    }
    return out;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& bytes) {
    uLongf size = compressBound(uLong(bytes.size()));
    std::vector<uint8_t> out(size);
    if (compress(out.data(), &size, bytes.data(), uLong(bytes.size())) != Z_OK) std::abort();
    out.resize(size);
    return out;
}

void PutMetaTable(CMetaCache& cache, const std::string& name, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> stream = Deflate(data);
    if (stream.size() > UINT16_MAX || !cache.StoreTable(name, uint16_t(stream.size()), stream.data()))
        std::abort();
}

}  // namespace qmtest
