#pragma once
// Drawing for the menu pages. Pages are laid out in units of a virtual 1024 x 768 screen with the
// origin at the centre and y pointing up (x -512..512, y -384..384), whatever the window size.

#include <string_view>

struct TRGB {
    float r = 1, g = 1, b = 1;
};

constexpr TRGB LimeColor{0.72f, 0.96f, 0.27f};       // captions
constexpr TRGB HighlightColor{1.0f, 0.86f, 0.38f};   // captions under the cursor or marked
constexpr TRGB TitleColor{0.86f, 0.95f, 1.0f};       // page titles and question lines
constexpr TRGB DimColor{0.42f, 0.50f, 0.50f};        // disabled widgets
constexpr TRGB CaretColor{1.0f, 0.18f, 0.12f};

// A rectangle in virtual units.
struct TVRect {
    float Left = 0, Bottom = 0, Right = 0, Top = 0;
    // The cursor, in normalised device units, is inside.
    bool Contains(float cursorX, float cursorY) const;
    float CentreX() const { return (Left + Right) / 2; }
    float CentreY() const { return (Bottom + Top) / 2; }
};

// A rectangle of Width x Height virtual units centred on (X, Y).
TVRect CentredRect(float x, float y, float width, float height);

// Virtual units to normalised device units.
float VX(float units);
float VY(float units);

// The images every page shares (texture-library handles), loaded by the menu.
struct TMenuArt {
    int Panel = -1;                        // framed glass panel, drawn in nine pieces
    int ButtonIn = -1, ButtonOut = -1;     // wide buttons: under the cursor, normal
    int SmallIn = -1, SmallOut = -1;       // the arrow buttons of the option boxes
    int Field = -1;                        // text-entry and key fields
};
extern TMenuArt MenuArt;

// Loads the shared images from "Data\Menu\".
void LoadMenuArt();

// The framed panel stretched over R; its corners keep their size.
void DrawPanel(const TVRect &r);
// An image over R, upright.
void DrawImageIn(int texture, const TVRect &r, float alpha = 1);
// A full-screen picture (a 1024 x 768 screen) over the whole virtual screen: all of it in sight and
// in its own proportions on any window; on a wider or narrower one the backdrop shows beside it.
void DrawScreenPicture(int texture);
// Darkens everything drawn so far to half its brightness.
void DarkenScreen();
// A plain rectangle.
void DrawFill(const TVRect &r, TRGB color, float alpha);

enum class TAlign { Left, Centre, Right };

// Text (Windows-1251) in a menu font, vertically centred on Y, with a dark shadow under it.
void DrawMenuText(std::string_view text, unsigned font, float x, float y, TAlign align, TRGB color, float alpha = 1);
// The width of Text in a font, in virtual units.
float TextWidth(std::string_view text, unsigned font);
