// Data files for tests, made with the client's own writers.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data/data_table_writer.h"
#include "data/pack_writer.h"
#include "data/text_tables.h"
#include "tests/support/temp_dir.h"

namespace qmtest {

// Writes the pack of root below dir; returns its full path.
std::string WritePack(TempDir& dir, const std::string& relative, const PackDirPlan& root, uint8_t key = 0);

// A table whose column 0 holds texts (a text table), width bytes a cell.
TablePlan TextTablePlan(const std::vector<std::string>& rows, uint16_t width = 64);

// Writes data file number n ("%04d.Z5D") of layout into folder; returns its path.
std::string WriteDataFile(const std::string& folder, int number, const TablePlan& layout);

// Installs, for its lifetime, a text table set whose tables hold the given
// rows (the others empty) as the program's text tables.
class ScopedTextTables {
public:
    explicit ScopedTextTables(const std::map<int, std::vector<std::string>>& tables);
    ~ScopedTextTables();
    ScopedTextTables(const ScopedTextTables&) = delete;
    ScopedTextTables& operator=(const ScopedTextTables&) = delete;

private:
    CTextTableSet m_set;
    CTextTableSet* m_previous;
};

// Bytes as a vector.
std::vector<uint8_t> Bytes(const std::string& text);

}  // namespace qmtest
