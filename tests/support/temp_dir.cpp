#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qmtest {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qmtest.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    m_path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::WriteFile(std::string_view relative, std::string_view bytes) {
    std::filesystem::path p = std::filesystem::path(m_path) / std::string(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return p.string();
}

std::string TempDir::WriteFile(std::string_view relative, const std::vector<unsigned char>& bytes) {
    return WriteFile(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::string& folder) {
    std::error_code ec;
    m_previous = std::filesystem::current_path(ec).string();
    std::filesystem::current_path(folder, ec);
    EXPECT_FALSE(ec) << "cannot enter " << folder;
}

ScopedWorkingFolder::~ScopedWorkingFolder() {
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    EXPECT_FALSE(ec) << "cannot go back to " << m_previous;
}

std::vector<std::string> TempDir::List() const {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(m_path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string SourceDir() {
    const char* s = std::getenv("QM_SOURCE_DIR");
#ifdef QM_SOURCE_ROOT
    return s ? s : QM_SOURCE_ROOT;
#else
    return s ? s : ".";
#endif
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qmtest
