// Feeds arbitrary bytes to the markup readers that server and table text
// reach: the rich-text grid, the line layout with its drawing and the
// formatted-text escapes. The first byte picks the widths.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/rich_text.h"
#include "graphics/text_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int columns = data[0] % 80;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    CRichText rich;
    rich.ParseRichText(columns % 40, columns % 41, text.c_str(), 0xFFFFFF, columns & 1);
    for (int row = 0; row < CRichText::ROWS; ++row) rich.SplitRunAt(columns % 33, row);

    CTextLineBuffer lines;
    lines.SetDrawFunction([](const TextLineRun&, int) {});
    lines.CountLines(text.c_str(), columns, true);
    lines.DrawLines(columns % 8, 0, 0, columns, 20, text.c_str(), 0, true, 0, 0);
    lines.DrawLinesTimed(0, 0, 0, columns, 20, text.c_str(), 0, true, 0, 0);

    LayoutFormattedText(text, columns);
    WrapByBytes(text, columns, true);
    FindEditCaret(text, columns, int(size) / 2);
    return 0;
}
