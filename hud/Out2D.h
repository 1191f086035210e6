#pragma once
// The 2D drawing service under the HUD and the menu: bitmap fonts, textured quads, plain quads and
// text. Coordinates are normalised device units (-1..1); callers set identity matrices first.
//
// Fonts are FreeType faces read from "Data\Fonts\" (through the archive, loose files winning), drawn
// as one GL display list per byte value 0..255 with glBitmap. Text is Windows-1251 bytes; each byte
// draws its Cyrillic or Latin glyph. A glyph list draws at the raster position, which is the
// baseline on the left, and moves it by the glyph's advance.

#include "core/Platform.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TFontFile {
    std::string                FileName;   // under "Data\Fonts\"
    std::vector<unsigned char> Bytes;      // the whole file; FreeType reads it in place
    void                      *Face = nullptr;
};

struct TOut2DFont {
    unsigned    ListBase = 0;    // first of the 256 display lists
    std::string Face;            // as asked for ("Arial", "Arial Black", "Perfo"...)
    int         Size = 0;        // in points, as asked for
    bool        Bold = false;
    int         PixelHeight = 0; // the em height in pixels: Size x 96 / 72
    int         Ascent = 0;      // pixels above the baseline
    int         Descent = 0;     // pixels below the baseline (positive)
    int         Advance[256]{};  // pixels the raster position moves for each byte
};

// The font file a face name is drawn with: the free stand-ins for the faces the game names.
// Unknown faces get the plain sans-serif.
std::string FontFileForFace(std::string_view face, bool bold);

// The point size of a font as the window's 96 dots per inch turn it into pixels (rounded).
int FontPixelHeight(int points);

class TOut2D {
public:
    // Starts FreeType, builds the six "Arial Black" fonts of 11, 13, 14, 18, 10 and 8 points and
    // makes TextExtent measure in the selected font. Needs the GL context and the archive.
    TOut2D();
    ~TOut2D();
    TOut2D(const TOut2D &) = delete;
    TOut2D &operator=(const TOut2D &) = delete;

    // Builds the 256 glyph lists of a face at Size points and returns their base. The same face,
    // size and weight asked again returns the lists already built. A missing font file throws
    // "File not found: "path"", an unreadable one a message naming it.
    unsigned CreateFont(const std::string &face, int size, bool bold);
    // Makes the font of that list base the one TextExtent measures with.
    void SelectFont(unsigned listBase);
    // Binds the texture-library texture and draws one quad: (x0, y0) gets (s0, t0), (x1, y0) gets
    // (s1, t0), (x1, y1) gets (s1, t1), (x0, y1) gets (s0, t1). Image rows run top first, so an
    // upright picture has y0 at its top with t0 = 0.
    void DrawImage(int texture, float x0, float y0, float x1, float y1, float s0 = 0, float t0 = 0, float s1 = 1,
                   float t1 = 1);
    // An untextured quad in the current colour, corners in the same order. DrawRect and DrawText
    // turn texturing off for their own drawing and leave it on, as DrawImage does.
    void DrawRect(float x0, float y0, float x1, float y1);
    // The bytes of Text in the font of ListBase with the baseline starting at (X, Y), in the current
    // colour. Text that starts off the screen still shows the part that is on it.
    void DrawText(std::string_view text, unsigned listBase, float x, float y);

    // Width and height (ascent plus descent) in pixels of Text in the selected font.
    TPoint TextExtent(std::string_view text) const;
    // The font record of a list base; null if none was built there.
    const TOut2DFont *Font(unsigned listBase) const;

    std::vector<TOut2DFont> Fonts;
    int                     FontCount = 0;
    unsigned                Selected = 0;  // list base of the selected font; 0 before any

private:
    TFontFile &LoadFontFile(const std::string &fileName);

    void                                   *Library = nullptr;
    std::vector<std::unique_ptr<TFontFile>> Files;   // faces point into their bytes: never moved
};

// The 2D output of the run, created at start-up after the model library.
extern TOut2D *Out2D;

// Sets up the whole window for flat drawing in normalised device units: the window viewport,
// identity matrices, no depth test, no lighting, texturing on, white.
void Begin2D();
