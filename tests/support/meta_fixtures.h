// Server-table data for tests: binary rows, zlib streams, and a table cache
// filled with them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CMetaCache;

namespace qmtest {

// The binary-row form of rows: each row's first string is its first cell,
// the others its further cells; a last cell "(dropped)" is appended to every
// row, as the reader drops each row's last cell.
std::vector<uint8_t> MetaRowsData(const std::vector<std::vector<std::string>>& rows);
// One zlib stream of the bytes.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& bytes);
// Stores the data as the table name in the cache, as the server delivers it.
void PutMetaTable(CMetaCache& cache, const std::string& name, const std::vector<uint8_t>& data);

}  // namespace qmtest
