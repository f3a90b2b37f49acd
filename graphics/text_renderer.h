// The global text drawer: one line of text with shadow, outline, bold and
// underline on any surface; the queue of strings drawn on top at the end of a
// scene's drawing; numbers; wrapped, formatted and edit-box text.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "graphics/text_layout.h"

class CSurfaceResource;

// The IME composition of an edit box: the bytes being composed and, inside
// them, the clause being converted. Offsets are bytes of the edit text.
struct EditComposition {
    int start = 0;
    int length = 0;
    int clauseStart = 0;
    int clauseLength = 0;
};

class CTextRenderer : public CMsgObject {
public:
    static constexpr int QUEUE_SIZE = 100;
    static constexpr size_t QUEUE_TEXT_MAX = 258;
    // Scratch surfaces: screen width by these heights.
    static constexpr int SCRATCH_HEIGHT = 160;
    static constexpr int SCRATCH2_HEIGHT = 80;
    // Milliseconds the edit caret is shown, then hidden.
    static constexpr uint32_t CARET_BLINK_MS = 500;

    struct QueuedString {
        int32_t x = 0;
        int32_t y = 0;
        uint8_t font = 0;
        uint32_t colour = 0;
        uint8_t style = 0;
        char text[QUEUE_TEXT_MAX + 1] = {};
        CSurfaceResource* target = nullptr;
    };

    CTextRenderer();
    ~CTextRenderer() override;

    // Empties the queue and makes the scratch surfaces.
    bool Init();
    // Releases any scratch surfaces and makes the two anew; false without a
    // display device.
    bool CreateScratchSurfaces();
    bool Release() override;

    // Draws one line with its top at y - 1 (the glyphs' cell starts at y).
    // False for an empty text, a font index outside 0-5 or when the scratch
    // surfaces cannot be made; true otherwise, also when nothing is visible.
    bool DrawString(CSurfaceResource* target, int x, int y, const char* text, int font, uint32_t colour,
                    uint32_t style, bool colourKey);
    // Queues a string (cut between characters to 258 bytes) for
    // FlushQueuedStrings. False for an empty text and when 100 are waiting.
    bool QueueString(CSurfaceResource* target, int x, int y, const char* text, int font, uint32_t colour,
                     uint32_t style);
    void FlushQueuedStrings();
    int QueueCount() const { return m_queueCount; }
    const QueuedString& Queued(int i) const { return m_queue[i]; }

    bool DrawInt(CSurfaceResource* target, int x, int y, int32_t number, int font, uint32_t colour,
                 uint32_t style, bool colourKey);
    bool DrawUInt(CSurfaceResource* target, int x, int y, uint32_t number, int font, uint32_t colour,
                  uint32_t style, bool colourKey);
    // Draws onto the render surface in lines of at most widthBytes bytes, at
    // most maxLines of them, 14 pixels apart.
    void DrawWrappedString(int unused, int x, int y, int widthBytes, int maxLines, const char* text, int font,
                           uint32_t colour, uint32_t style, bool colourKey);
    // Draws a formatted text in font 0: lines firstLine to firstLine +
    // lineLimit - 1 of it, lineSpacing pixels apart.
    void DrawFormattedText(CSurfaceResource* target, int x, int y, int width, int lineLimit, const char* text,
                           int firstLine, int lineSpacing, uint32_t style);
    // Draws an edit box's text in lines of at most widthBytes bytes (and at CR
    // LF), one cell line height apart, with the marks of the IME composition
    // in black; when focused, the caret at its byte position (none below 0).
    void DrawEditText(CSurfaceResource* target, int caret, bool focused, int x, int y, int widthBytes,
                      const char* text, int font, uint32_t colour, uint32_t style, bool colourKey,
                      const EditComposition* composition = nullptr);

    CSurfaceResource* ScratchSurface() const { return m_scratch; }

private:
    bool DrawText(CSurfaceResource* target, int x, int y, const char* text, int32_t n, int font,
                  uint32_t colour, uint32_t style, bool colourKey);
    void ReleaseScratchSurfaces();

    int32_t m_queueCount = 0;
    QueuedString m_queue[QUEUE_SIZE];
    CSurfaceResource* m_scratch = nullptr;
    uint32_t m_scratchId = 0;
    CSurfaceResource* m_scratch2 = nullptr;
    uint32_t m_scratch2Id = 0;
};

extern CTextRenderer* g_pTextRenderer;

// The number of lines a formatted text takes at that width; 1 for a text of
// more than 10,000 bytes.
int32_t CountFormattedTextLines(const char* text, int32_t width);
