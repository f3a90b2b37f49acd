// A temporary folder for a test, removed with everything in it at the end.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qmtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Writes a file below the folder (creating folders on the way); returns its full path.
    std::string WriteFile(std::string_view relative, std::string_view bytes);
    std::string WriteFile(std::string_view relative, const std::vector<unsigned char>& bytes);
    // Names in the folder itself, sorted.
    std::vector<std::string> List() const;

private:
    std::string m_path;
};

// Makes a folder the working folder for its lifetime, then goes back.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& folder);
    ~ScopedWorkingFolder();
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    std::string m_previous;
};

// The repository root, for tests that read checked-in fixtures.
std::string SourceDir();

// A whole file as text; "<missing>" when it cannot be read.
std::string ReadTextFile(const std::string& path);

}  // namespace qmtest
