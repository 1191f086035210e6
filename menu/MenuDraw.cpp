#include "menu/MenuDraw.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "hud/Out2D.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

TMenuArt MenuArt;

namespace {

constexpr float PanelCorner = 24;        // virtual units of each panel corner on screen
constexpr float PanelCornerTex = 0.25f;  // the corner's share of the panel image

int LoadMenuImage(const char *name)
{
    return TextureLib->Load(AppDir + "Data\\Menu\\" + name, GL_LINEAR, GL_LINEAR);
}

} // namespace

bool TVRect::Contains(float cursorX, float cursorY) const
{
    const float x = cursorX / VirtualPixelX, y = cursorY / VirtualPixelY;
    return x >= Left && x <= Right && y >= Bottom && y <= Top;
}

TVRect CentredRect(float x, float y, float width, float height)
{
    return {x - width / 2, y - height / 2, x + width / 2, y + height / 2};
}

float VX(float units) { return units * VirtualPixelX; }
float VY(float units) { return units * VirtualPixelY; }

void LoadMenuArt()
{
    MenuArt.Panel = LoadMenuImage("Panel.png");
    MenuArt.ButtonIn = LoadMenuImage("Button_In.png");
    MenuArt.ButtonOut = LoadMenuImage("Button_Out.png");
    MenuArt.SmallIn = LoadMenuImage("Button_Small_In.png");
    MenuArt.SmallOut = LoadMenuImage("Button_Small_Out.png");
    MenuArt.Field = LoadMenuImage("Field.png");
}

void DrawPanel(const TVRect &r)
{
    glColor4f(1, 1, 1, 1);
    const float c = std::min({PanelCorner, (r.Right - r.Left) / 2, (r.Top - r.Bottom) / 2});
    const float xs[4] = {VX(r.Left), VX(r.Left + c), VX(r.Right - c), VX(r.Right)};
    const float ys[4] = {VY(r.Top), VY(r.Top - c), VY(r.Bottom + c), VY(r.Bottom)};
    const float ts[4] = {0, PanelCornerTex, 1 - PanelCornerTex, 1};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            Out2D->DrawImage(MenuArt.Panel, xs[col], ys[row], xs[col + 1], ys[row + 1], ts[col], ts[row], ts[col + 1],
                             ts[row + 1]);
}

void DrawImageIn(int texture, const TVRect &r, float alpha)
{
    glColor4f(1, 1, 1, alpha);
    Out2D->DrawImage(texture, VX(r.Left), VY(r.Top), VX(r.Right), VY(r.Bottom));
    glColor4f(1, 1, 1, 1);
}

void DrawScreenPicture(int texture) { DrawImageIn(texture, TVRect{-512, -384, 512, 384}); }

void DarkenScreen()
{
    glColor4f(0, 0, 0, 0.5f);
    Out2D->DrawRect(-1, 1, 1, -1);
    glColor4f(1, 1, 1, 1);
}

void DrawFill(const TVRect &r, TRGB color, float alpha)
{
    glColor4f(color.r, color.g, color.b, alpha);
    Out2D->DrawRect(VX(r.Left), VY(r.Top), VX(r.Right), VY(r.Bottom));
    glColor4f(1, 1, 1, 1);
}

float TextWidth(std::string_view text, unsigned font)
{
    Out2D->SelectFont(font);
    return float(Out2D->TextExtent(text).x) * PixelSizeX / VirtualPixelX;
}

void DrawMenuText(std::string_view text, unsigned font, float x, float y, TAlign align, TRGB color, float alpha)
{
    const TOut2DFont *f = Out2D->Font(font);
    if (!f || text.empty())
        return;
    const float width = TextWidth(text, font);
    float left = x;
    if (align == TAlign::Centre)
        left = x - width / 2;
    else if (align == TAlign::Right)
        left = x - width;
    // Whole pixels, so that the glyphs land where their shadow expects them.
    const float px = std::round((VX(left) + 1) / PixelSizeX) * PixelSizeX - 1;
    const float py = std::round((VY(y) + 1) / PixelSizeY - float(f->Ascent - f->Descent) / 2) * PixelSizeY - 1;
    const float shadow = std::max(1.0f, std::round(1.5f * UiScale));
    glColor4f(0, 0, 0, 0.85f * alpha);
    Out2D->DrawText(text, font, px + shadow * PixelSizeX, py - shadow * PixelSizeY);
    glColor4f(color.r, color.g, color.b, alpha);
    Out2D->DrawText(text, font, px, py);
    glColor4f(1, 1, 1, 1);
}
