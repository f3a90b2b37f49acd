#include "graphics/text_atlas.h"

#include <algorithm>

uint32_t HashText(const char* bytes, size_t n) {
    uint32_t h = 0;
    for (size_t i = 0; i < n; ++i) {
        uint32_t b = uint32_t(int32_t(int8_t(bytes[i])));
        h = (h << 6) ^ b ^ (h & 0xFC000000u);
    }
    return h;
}

CTextAtlas::CTextAtlas(int32_t rowHeight)
    : m_rowHeight(std::clamp(rowHeight, 1, int32_t(PAGE_SIZE))), m_rowsPerPage(PAGE_SIZE / m_rowHeight) {
    Reset();
}

void CTextAtlas::Reset() {
    m_free.clear();
    for (int32_t page = 0; page < PAGES; ++page)
        for (int32_t y = 0; y <= PAGE_SIZE - m_rowHeight; y += m_rowHeight)
            m_free.push_back({page, 0, y, PAGE_SIZE});
}

void CTextAtlas::Clear() {
    m_strings.clear();
    m_widths.clear();
    m_free.clear();
}

const TextWidthEntry* CTextAtlas::FindWidth(std::string_view text, uint32_t now) {
    uint32_t h = HashText(text.data(), text.size());
    auto [first, last] = m_widths.equal_range(h);
    for (auto it = first; it != last; ++it) {
        if (it->second.text == text) {
            it->second.lastUse = now;
            return &it->second;
        }
    }
    return nullptr;
}

void CTextAtlas::AddWidth(std::string_view text, int32_t width, uint32_t now) {
    uint32_t h = HashText(text.data(), text.size());
    m_widths.emplace(h, TextWidthEntry{h, std::string(text), width, now});
}

void CTextAtlas::SweepWidthCache(uint32_t maxAge, uint32_t now) {
    // Ages, not time stamps, are compared, so the sweep holds across the
    // wrap of the millisecond counter.
    for (auto it = m_widths.begin(); it != m_widths.end();) {
        if (now - it->second.lastUse > maxAge)
            it = m_widths.erase(it);
        else
            ++it;
    }
}

TextCacheEntry* CTextAtlas::FindString(std::string_view text, uint32_t colour, uint32_t now) {
    uint32_t key = HashText(text.data(), text.size()) + colour;
    auto [first, last] = m_strings.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second.colour == colour && it->second.text == text) {
            it->second.lastUse = now;
            return &it->second;
        }
    }
    return nullptr;
}

TextCacheEntry& CTextAtlas::AddString(std::string_view text, uint32_t colour, std::vector<TextSpan> spans,
                                      uint32_t now) {
    uint32_t key = HashText(text.data(), text.size()) + colour;
    auto it = m_strings.emplace(key, TextCacheEntry{key, std::string(text), colour, std::move(spans), now});
    return it->second;
}

int64_t CTextAtlas::FreeLength() const {
    int64_t total = 0;
    for (const TextSpan& s : m_free) total += s.length;
    return total;
}

bool CTextAtlas::ReserveSpans(int32_t need, const std::function<bool(int32_t page)>& preparePage) {
    int64_t total = 0;
    for (const TextSpan& s : m_free) {
        if (preparePage && !preparePage(s.page)) return false;
        total += s.length;
        if (total >= need) return true;
    }
    EvictAndJoin(need, total);
    // Freed runs lie on pages that held strings, so they exist already; the
    // walk is repeated only to confirm the room.
    total = 0;
    for (const TextSpan& s : m_free) {
        if (preparePage && !preparePage(s.page)) return false;
        total += s.length;
        if (total >= need) return true;
    }
    return false;
}

void CTextAtlas::EvictAndJoin(int32_t need, int64_t total) {
    const int64_t pageLength = PageLength();
    const int64_t target =
        need <= 0 ? pageLength : (int64_t(need) + pageLength - 1) / pageLength * pageLength;

    std::vector<std::multimap<uint32_t, TextCacheEntry>::iterator> order;
    order.reserve(m_strings.size());
    for (auto it = m_strings.begin(); it != m_strings.end(); ++it) order.push_back(it);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a->second.lastUse < b->second.lastUse; });
    for (auto it : order) {
        if (m_strings.empty()) break;
        for (const TextSpan& s : it->second.spans) {
            m_free.push_back(s);
            total += s.length;
        }
        m_strings.erase(it);
        if (total >= target) break;
    }

    m_free.sort([](const TextSpan& a, const TextSpan& b) {
        if (a.page != b.page) return a.page < b.page;
        if (a.y != b.y) return a.y < b.y;
        return a.x < b.x;
    });
    for (auto it = m_free.begin(); it != m_free.end();) {
        auto next = std::next(it);
        if (next != m_free.end() && next->page == it->page && next->y == it->y &&
            it->x + it->length == next->x) {
            it->length += next->length;
            m_free.erase(next);
        } else {
            it = next;
        }
    }
}

bool CTextAtlas::TakeSpans(int32_t need, std::vector<TextSpan>* out) {
    if (FreeLength() < need) return false;
    int32_t remaining = need;
    while (remaining >= 1) {
        TextSpan& front = m_free.front();
        int32_t k = std::min(front.length, remaining);
        out->push_back({front.page, front.x, front.y, k});
        front.x += k;
        front.length -= k;
        if (front.length == 0) m_free.pop_front();
        remaining -= k;
    }
    return true;
}

void CTextAtlas::ReturnSpans(const std::vector<TextSpan>& spans) {
    // Runs taken from the front were cut from the front of the first free run;
    // put back in reverse, each joins the run it was cut from.
    for (auto it = spans.rbegin(); it != spans.rend(); ++it) {
        if (!m_free.empty() && m_free.front().page == it->page && m_free.front().y == it->y &&
            it->x + it->length == m_free.front().x) {
            m_free.front().x = it->x;
            m_free.front().length += it->length;
        } else {
            m_free.push_front(*it);
        }
    }
}

bool CTextAtlas::CheckCoverage() const {
    // One bit per pixel of row length of every row of every page.
    std::vector<uint8_t> used(size_t(PAGES) * size_t(m_rowsPerPage) * PAGE_SIZE, 0);
    auto mark = [&](const TextSpan& s) {
        if (s.page < 0 || s.page >= PAGES || s.y % m_rowHeight != 0 || s.y / m_rowHeight >= m_rowsPerPage ||
            s.x < 0 || s.length < 0 || s.x + s.length > PAGE_SIZE)
            return false;
        size_t base = (size_t(s.page) * size_t(m_rowsPerPage) + size_t(s.y / m_rowHeight)) * PAGE_SIZE;
        for (int32_t i = 0; i < s.length; ++i)
            if (used[base + size_t(s.x + i)]++) return false;
        return true;
    };
    for (const TextSpan& s : m_free)
        if (!mark(s)) return false;
    for (const auto& [key, e] : m_strings)
        for (const TextSpan& s : e.spans)
            if (!mark(s)) return false;
    return std::all_of(used.begin(), used.end(), [](uint8_t u) { return u == 1; });
}
