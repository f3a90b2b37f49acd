// The bookkeeping of a font's text cache: the atlas of eight 256 x 256 pages cut
// into rows of the font's row height, the free runs of those rows, the cache of
// rendered strings (each holding the runs that carry its image) and the cache
// of measured widths. Pixels live in the font's surfaces (CTextFont); here only
// the places and the lifetimes are kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The text cache's hash of a byte string: bytes taken as signed values, each
// step h = (h << 6) ^ b ^ (h & 0xFC000000).
uint32_t HashText(const char* bytes, size_t n);

// A run of `length` pixels of one atlas row whose top is at y.
struct TextSpan {
    int32_t page = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t length = 0;
    bool operator==(const TextSpan&) const = default;
};

struct TextCacheEntry {
    uint32_t key = 0;  // HashText of the text plus the colour
    std::string text;
    uint32_t colour = 0;
    std::vector<TextSpan> spans;
    uint32_t lastUse = 0;
};

struct TextWidthEntry {
    uint32_t hash = 0;
    std::string text;
    int32_t width = 0;
    uint32_t lastUse = 0;
};

class CTextAtlas {
public:
    static constexpr int PAGES = 8;
    static constexpr int PAGE_SIZE = 256;
    // Extra row length every cached string takes beyond its width.
    static constexpr int MARGIN = 3;

    explicit CTextAtlas(int32_t rowHeight);

    int32_t RowHeight() const { return m_rowHeight; }
    int32_t RowsPerPage() const { return m_rowsPerPage; }
    // Row length of one whole page.
    int32_t PageLength() const { return m_rowsPerPage * PAGE_SIZE; }

    // The width cache. A hit refreshes its last use; null on a miss.
    const TextWidthEntry* FindWidth(std::string_view text, uint32_t now);
    void AddWidth(std::string_view text, int32_t width, uint32_t now);
    // Drops the widths not used since now - maxAge.
    void SweepWidthCache(uint32_t maxAge, uint32_t now);
    size_t WidthCount() const { return m_widths.size(); }

    // The string cache: the entry of this text in this colour, its last use
    // refreshed; null on a miss.
    TextCacheEntry* FindString(std::string_view text, uint32_t colour, uint32_t now);
    // Makes sure at least `need` pixels of free row length can be taken from
    // the front of the free list. Each page the walk reaches is offered to
    // `preparePage` first (it makes the page's surface when missing; false
    // stops the walk). When the free runs fall short, the least recently used
    // strings are evicted until a whole number of pages' worth is free, and the
    // free runs are sorted and joined. False when the room cannot be had.
    bool ReserveSpans(int32_t need, const std::function<bool(int32_t page)>& preparePage);
    // Takes `need` pixels of row length from the front of the free list, in
    // order; a string so continues from the end of one run into the next.
    // Takes nothing and returns false when there is not that much.
    bool TakeSpans(int32_t need, std::vector<TextSpan>* out);
    // Gives runs taken but not used back to the front of the free list.
    void ReturnSpans(const std::vector<TextSpan>& spans);
    // Stores a rendered string; equal keys keep their order of insertion.
    TextCacheEntry& AddString(std::string_view text, uint32_t colour, std::vector<TextSpan> spans,
                              uint32_t now);
    size_t StringCount() const { return m_strings.size(); }
    const std::multimap<uint32_t, TextCacheEntry>& Strings() const { return m_strings; }

    // Empties both caches and the free list (the pages are gone).
    void Clear();
    // Fills the free list anew with every row of every page.
    void Reset();

    const std::list<TextSpan>& FreeSpans() const { return m_free; }
    int64_t FreeLength() const;
    // True when the free runs and the strings' runs cover every row of every
    // page exactly once.
    bool CheckCoverage() const;

private:
    void EvictAndJoin(int32_t need, int64_t total);

    int32_t m_rowHeight;
    int32_t m_rowsPerPage;
    std::multimap<uint32_t, TextCacheEntry> m_strings;
    std::multimap<uint32_t, TextWidthEntry> m_widths;
    std::list<TextSpan> m_free;
};
