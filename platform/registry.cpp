#include "platform/registry.h"

#include <cctype>
#include <cstdlib>

#include "platform/paths.h"

namespace plat {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// The lines of the file, without their line ends. A missing file has none;
// false when the file exists and cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::vector<uint8_t> bytes;
    lines.clear();
    if (!ReadWholeFile(path, bytes)) return !FileExists(path);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

// "[key]" gives true and the key.
bool SectionName(std::string_view line, std::string_view* key) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    *key = Trim(line.substr(1, line.size() - 2));
    return true;
}

// "name=value" gives true, the name and the value text.
bool Entry(std::string_view line, std::string_view* name, std::string_view* value) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    *name = Trim(line.substr(0, equals));
    *value = Trim(line.substr(equals + 1));
    return !name->empty();
}

// A decimal number of 0 to 2^32 - 1.
bool ParseNumber(std::string_view text, uint32_t* value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + uint64_t(c - '0');
    }
    if (number > UINT32_MAX) return false;
    *value = uint32_t(number);
    return true;
}

// Where a value lives in the lines: the section's header line and the line of
// the value (npos when absent), and the line after the section's last entry.
struct Place {
    size_t section = std::string::npos;
    size_t entry = std::string::npos;
    size_t sectionEnd = 0;
};

Place Find(const std::vector<std::string>& lines, std::string_view key, std::string_view name) {
    Place place;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view section;
        if (SectionName(lines[i], &section)) {
            // The first section of the name holds the value.
            if (inSection) break;
            if (place.section == std::string::npos && EqualsNoCase(section, key)) {
                inSection = true;
                place.section = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        std::string_view entryName, entryValue;
        if (Entry(lines[i], &entryName, &entryValue)) {
            place.sectionEnd = i + 1;
            if (place.entry == std::string::npos && EqualsNoCase(entryName, name)) place.entry = i;
        }
    }
    return place;
}

std::string ParentFolder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class DefaultFileRegistry : public FileRegistry {
public:
    DefaultFileRegistry() : FileRegistry(DefaultRegistryPath()) {}
};

IRegistry* g_registry = nullptr;

}  // namespace

std::string DefaultRegistryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return std::string(config) + "/quillmarrow/settings.ini";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/quillmarrow/settings.ini";
    return "settings.ini";
}

IRegistry& Registry() {
    if (g_registry) return *g_registry;
    static DefaultFileRegistry userSettings;
    return userSettings;
}

void SetRegistry(IRegistry* registry) {
    g_registry = registry;
}

bool RegQueryDword(std::string_view key, std::string_view name, uint32_t* value) {
    return Registry().QueryValue(key, name, value);
}

bool RegSetDword(std::string_view key, std::string_view name, uint32_t value) {
    return Registry().SetValue(key, name, value);
}

bool FileRegistry::QueryValue(std::string_view key, std::string_view name, uint32_t* value) {
    std::vector<std::string> lines;
    ReadLines(m_path, lines);
    Place place = Find(lines, key, name);
    if (place.entry == std::string::npos) return false;
    std::string_view entryName, entryValue;
    Entry(lines[place.entry], &entryName, &entryValue);
    uint32_t number = 0;
    if (!ParseNumber(entryValue, &number)) return false;
    if (value) *value = number;
    return true;
}

bool FileRegistry::SetValue(std::string_view key, std::string_view name, uint32_t value) {
    if (key.empty() || name.empty() || name.find_first_of("=\r\n") != std::string_view::npos ||
        key.find_first_of("[]\r\n") != std::string_view::npos)
        return false;
    // A file that exists but cannot be read is not replaced.
    std::vector<std::string> lines;
    if (!ReadLines(m_path, lines)) return false;
    Place place = Find(lines, key, name);
    std::string line = std::string(name) + "=" + std::to_string(value);
    if (place.entry != std::string::npos) {
        lines[place.entry] = line;
    } else if (place.section != std::string::npos) {
        lines.insert(lines.begin() + long(place.sectionEnd), line);
    } else {
        std::string header(1, '[');
        header.append(key);
        header.push_back(']');
        lines.push_back(std::move(header));
        lines.push_back(line);
    }
    std::string text;
    for (const std::string& each : lines) {
        text.append(each);
        text.push_back('\n');
    }
    std::string folder = ParentFolder(m_path);
    if (!folder.empty() && !CreateDirectories(folder)) return false;
    return WriteFileAtomic(m_path, text.data(), text.size());
}

std::string MemoryRegistry::Slot(std::string_view key, std::string_view name) {
    std::string slot = std::string(key) + "\\" + std::string(name);
    for (char& c : slot) c = char(std::tolower(static_cast<unsigned char>(c)));
    return slot;
}

bool MemoryRegistry::QueryValue(std::string_view key, std::string_view name, uint32_t* value) {
    m_queries.push_back(std::string(key) + "\\" + std::string(name));
    auto found = m_values.find(Slot(key, name));
    if (found == m_values.end()) return false;
    if (value) *value = found->second;
    return true;
}

bool MemoryRegistry::SetValue(std::string_view key, std::string_view name, uint32_t value) {
    m_values[Slot(key, name)] = value;
    return true;
}

}  // namespace plat
