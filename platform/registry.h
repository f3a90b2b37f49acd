// The settings the program keeps for the user outside its own folder: numbers
// under a key path and a value name ("Software\Vemra\Quillmarrow", "ISP_Code").
// The system store is a small text file in the user's configuration folder:
//
//   [Software\Vemra\Quillmarrow]
//   ISP_Code=0
//
// Key paths and value names compare case-insensitively. Writes replace the
// file atomically. Tests install a MemoryRegistry that records the look-ups.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat {

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // The number stored under key and name; false when there is none.
    virtual bool QueryValue(std::string_view key, std::string_view name, uint32_t* value) = 0;
    // Stores a number; false when it could not be kept.
    virtual bool SetValue(std::string_view key, std::string_view name, uint32_t value) = 0;
};

// The store in use: the user's settings file unless a test installed another.
IRegistry& Registry();
// Installs a store (not owned); null restores the user's settings file.
void SetRegistry(IRegistry* registry);

// The calls the game code makes.
bool RegQueryDword(std::string_view key, std::string_view name, uint32_t* value);
bool RegSetDword(std::string_view key, std::string_view name, uint32_t value);

// The settings file: $XDG_CONFIG_HOME/quillmarrow/settings.ini, else
// $HOME/.config/quillmarrow/settings.ini, else "settings.ini" in the working folder.
std::string DefaultRegistryPath();

// The store kept in one settings file. A missing or unreadable file holds no
// values; lines that are not "[key]" or "name=number" are kept as they are
// when the file is written again.
class FileRegistry : public IRegistry {
public:
    explicit FileRegistry(std::string path) : m_path(std::move(path)) {}
    bool QueryValue(std::string_view key, std::string_view name, uint32_t* value) override;
    bool SetValue(std::string_view key, std::string_view name, uint32_t value) override;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A store in memory for tests: values are set by the test, and every look-up
// is recorded as "key\name".
class MemoryRegistry : public IRegistry {
public:
    bool QueryValue(std::string_view key, std::string_view name, uint32_t* value) override;
    bool SetValue(std::string_view key, std::string_view name, uint32_t value) override;
    const std::vector<std::string>& Queries() const { return m_queries; }

private:
    static std::string Slot(std::string_view key, std::string_view name);
    std::map<std::string, uint32_t> m_values;
    std::vector<std::string> m_queries;
};

// Installs a store for the lifetime of the guard.
class ScopedRegistry {
public:
    explicit ScopedRegistry(IRegistry& registry) { SetRegistry(&registry); }
    ~ScopedRegistry() { SetRegistry(nullptr); }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;
};

}  // namespace plat
