#include "tests/support/data_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data/file_resource.h"
#include "platform/paths.h"

namespace qmtest {

std::string WritePack(TempDir& dir, const std::string& relative, const PackDirPlan& root, uint8_t key) {
    std::string error;
    std::vector<uint8_t> bytes = BuildPack(root, key, &error);
    if (bytes.empty()) {
        std::fprintf(stderr, "WritePack: %s\n", error.c_str());
        std::abort();
    }
    return dir.WriteFile(relative, bytes);
}

TablePlan TextTablePlan(const std::vector<std::string>& rows, uint16_t width) {
    TablePlan layout;
    layout.rows = uint32_t(rows.size());
    ColumnPlan c;
    c.type = kColText;
    c.width = width;
    c.texts = rows;
    layout.columns.push_back(std::move(c));
    return layout;
}

std::string WriteDataFile(const std::string& folder, int number, const TablePlan& layout) {
    std::string error;
    std::vector<uint8_t> bytes = WriteDataTable(layout, &error);
    if (bytes.empty()) {
        std::fprintf(stderr, "WriteDataFile: %s\n", error.c_str());
        std::abort();
    }
    std::filesystem::create_directories(folder);
    char name[32];
    std::snprintf(name, sizeof name, "/%04d.Z5D", number);
    std::string path = folder + name;
    if (!plat::WriteFileAtomic(path, bytes.data(), bytes.size())) std::abort();
    return path;
}

ScopedTextTables::ScopedTextTables(const std::map<int, std::vector<std::string>>& tables)
    : m_previous(g_pTextTables) {
    m_set.Create(CTextTableSet::kTableCount);
    for (const auto& [table, rows] : tables) {
        std::vector<uint8_t> bytes = WriteDataTable(TextTablePlan(rows, 256));
        CFileResource file;
        file.OpenMemory(bytes.data(), uint32_t(bytes.size()));
        if (!m_set.GetTable(table) || !m_set.GetTable(table)->ReadTableBinary(file)) std::abort();
    }
    g_pTextTables = &m_set;
}

ScopedTextTables::~ScopedTextTables() {
    g_pTextTables = m_previous;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace qmtest
