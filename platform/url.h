// Opening a web page address in the user's browser. The system service runs
// "xdg-open" with the address as its one argument (no shell between), and does
// not wait for the browser. Tests install a recorder that keeps the addresses.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Hands the address to the browser; false when it could not be started.
    virtual bool Open(std::string_view url) = 0;
};

// The service in use: the system one unless another was installed.
IUrlOpener& UrlOpener();
// Installs a service (not owned); null restores the system one. Returns the previous one.
IUrlOpener* SetUrlOpener(IUrlOpener* opener);

// Whether a text is a web-page address the program hands to the browser:
// "http://" or "https://" (any case) and no control characters.
bool IsWebAddress(std::string_view url);

// Opens the address through the service in use. An empty address, one that
// starts with '-' (it would read as an option) or holds a NUL is refused
// (false) without reaching the service.
bool OpenUrl(std::string_view url);

// Starts "xdg-open URL" in the background.
class SystemUrlOpener : public IUrlOpener {
public:
    bool Open(std::string_view url) override;
};

// Keeps every address it is given; answers with m_result.
class UrlRecorder : public IUrlOpener {
public:
    bool Open(std::string_view url) override {
        m_urls.emplace_back(url);
        return m_result;
    }
    std::vector<std::string> m_urls;
    bool m_result = true;
};

// A recorder installed for the lifetime of the guard.
class ScopedUrlRecorder : public UrlRecorder {
public:
    ScopedUrlRecorder() : m_previous(SetUrlOpener(this)) {}
    ~ScopedUrlRecorder() override { SetUrlOpener(m_previous); }
    ScopedUrlRecorder(const ScopedUrlRecorder&) = delete;
    ScopedUrlRecorder& operator=(const ScopedUrlRecorder&) = delete;

private:
    IUrlOpener* m_previous;
};

}  // namespace plat
