#include "hud/Out2D.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Extractor.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

TOut2D *Out2D = nullptr;

void Begin2D()
{
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}

namespace {

struct TFaceFiles {
    std::string_view Face, Regular, Bold;
};

// Liberation Sans has Arial's metrics, Liberation Mono Courier's; DejaVu Sans Bold is the heaviest
// free face at hand for "Arial Black"; the menu's stencil face "Perfo" becomes the narrow, bold
// Liberation Sans so that the longer Russian labels still fit their buttons.
constexpr TFaceFiles FaceFiles[] = {
    {"Arial", "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"},
    {"Arial Black", "DejaVuSans-Bold.ttf", "DejaVuSans-Bold.ttf"},
    {"Courier", "LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf"},
    {"Courier New", "LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf"},
    {"Perfo", "LiberationSans-Bold.ttf", "LiberationSans-Bold.ttf"},
};

bool SameFace(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// The Unicode code point of one Windows-1251 byte; 0 for the one unassigned byte.
unsigned CodePoint(unsigned char byte)
{
    const std::string utf8 = Utf8FromCp1251(std::string_view(reinterpret_cast<const char *>(&byte), 1));
    const auto *u = reinterpret_cast<const unsigned char *>(utf8.data());
    if (utf8.size() == 1)
        return u[0];
    if (utf8.size() == 2)
        return (u[0] & 0x1Fu) << 6 | (u[1] & 0x3Fu);
    const unsigned cp = (u[0] & 0x0Fu) << 12 | (u[1] & 0x3Fu) << 6 | (u[2] & 0x3Fu);
    return cp == 0xFFFD ? 0 : cp;
}

// Compiles the list of one glyph: its bitmap with the origin on the baseline, then the advance.
// FreeType gives rows top first and glBitmap wants them bottom first.
int CompileGlyph(FT_Face face, unsigned list, unsigned char byte)
{
    const unsigned cp = byte < 32 ? 0 : CodePoint(byte);
    glNewList(list, GL_COMPILE);
    int advance = 0;
    if (cp != 0 && FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0) {
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap &b = g->bitmap;
        advance = int(std::lround(g->advance.x / 64.0));
        const int rowBytes = int((b.width + 7) / 8);
        if (b.width > 0 && b.rows > 0 && b.pixel_mode == FT_PIXEL_MODE_MONO) {
            std::vector<GLubyte> rows(std::size_t(rowBytes) * b.rows);
            for (unsigned r = 0; r < b.rows; ++r) {
                const unsigned char *src = b.pitch >= 0 ? b.buffer + std::ptrdiff_t(r) * b.pitch
                                                        : b.buffer + std::ptrdiff_t(b.rows - 1 - r) * -b.pitch;
                std::copy(src, src + rowBytes, rows.begin() + std::ptrdiff_t(b.rows - 1 - r) * rowBytes);
            }
            glBitmap(GLsizei(b.width), GLsizei(b.rows), GLfloat(-g->bitmap_left), GLfloat(int(b.rows) - g->bitmap_top),
                     GLfloat(advance), 0, rows.data());
        } else {
            glBitmap(0, 0, 0, 0, GLfloat(advance), 0, nullptr);
        }
    }
    glEndList();
    return advance;
}

} // namespace

std::string FontFileForFace(std::string_view face, bool bold)
{
    for (const TFaceFiles &f : FaceFiles)
        if (SameFace(f.Face, face))
            return std::string(bold ? f.Bold : f.Regular);
    return bold ? "LiberationSans-Bold.ttf" : "LiberationSans-Regular.ttf";
}

int FontPixelHeight(int points) { return (points * 96 + 36) / 72; }

TOut2D::TOut2D()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        throw std::runtime_error("Cannot start the FreeType font library");
    Library = library;
    for (int size : {11, 13, 14, 18, 10, 8})
        CreateFont("Arial Black", size, false);
    TextMeasure = [this](std::string_view text) { return TextExtent(text); };
}

TOut2D::~TOut2D()
{
    TextMeasure = nullptr;
    for (const std::unique_ptr<TFontFile> &file : Files)
        FT_Done_Face(static_cast<FT_Face>(file->Face));
    FT_Done_FreeType(static_cast<FT_Library>(Library));
}

TFontFile &TOut2D::LoadFontFile(const std::string &fileName)
{
    for (const std::unique_ptr<TFontFile> &file : Files)
        if (file->FileName == fileName)
            return *file;
    auto file = std::make_unique<TFontFile>();
    file->FileName = fileName;
    const std::string path = AppDir + "Data\\Fonts\\" + fileName;
    file->Bytes = TSimpleFile(path, Extractor).Data;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(static_cast<FT_Library>(Library), file->Bytes.data(), FT_Long(file->Bytes.size()), 0, &face) != 0)
        throw std::runtime_error("Cannot read the font \"" + path + "\"");
    file->Face = face;
    Files.push_back(std::move(file));
    return *Files.back();
}

unsigned TOut2D::CreateFont(const std::string &face, int size, bool bold)
{
    for (const TOut2DFont &font : Fonts)
        if (font.Face == face && font.Size == size && font.Bold == bold)
            return font.ListBase;
    TFontFile &file = LoadFontFile(FontFileForFace(face, bold));
    const FT_Face ft = static_cast<FT_Face>(file.Face);
    TOut2DFont font;
    font.Face = face;
    font.Size = size;
    font.Bold = bold;
    font.PixelHeight = std::max(1, FontPixelHeight(size));
    FT_Set_Pixel_Sizes(ft, 0, FT_UInt(font.PixelHeight));
    font.Ascent = int(ft->size->metrics.ascender >> 6);
    font.Descent = int(-(ft->size->metrics.descender >> 6));
    font.ListBase = glGenLists(256);

    GLint alignment = 4, lsbFirst = 0, rowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (int byte = 0; byte < 256; ++byte)
        font.Advance[byte] = CompileGlyph(ft, font.ListBase + unsigned(byte), static_cast<unsigned char>(byte));
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glPixelStorei(GL_UNPACK_LSB_FIRST, lsbFirst);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);

    Fonts.push_back(font);
    FontCount = int(Fonts.size());
    if (Selected == 0)
        Selected = font.ListBase;
    return font.ListBase;
}

void TOut2D::SelectFont(unsigned listBase)
{
    if (Font(listBase))
        Selected = listBase;
}

const TOut2DFont *TOut2D::Font(unsigned listBase) const
{
    for (const TOut2DFont &font : Fonts)
        if (font.ListBase == listBase)
            return &font;
    return nullptr;
}

void TOut2D::DrawImage(int texture, float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1)
{
    glEnable(GL_TEXTURE_2D);
    TextureLib->Bind(texture);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glEnd();
}

void TOut2D::DrawRect(float x0, float y0, float x1, float y1)
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void TOut2D::DrawText(std::string_view text, unsigned listBase, float x, float y)
{
    if (text.empty() || !Font(listBase))
        return;
    glDisable(GL_TEXTURE_2D);
    // A raster position outside the screen would drop the whole text: start inside and move out.
    const float inside = 1 - 0.5f * std::min(PixelSizeX, PixelSizeY);
    const float cx = std::clamp(x, -1.0f, inside), cy = std::clamp(y, -1.0f, inside);
    glRasterPos2f(cx, cy);
    if (cx != x || cy != y)
        glBitmap(0, 0, 0, 0, (x - cx) / PixelSizeX, (y - cy) / PixelSizeY, nullptr);
    glListBase(listBase);
    glCallLists(GLsizei(text.size()), GL_UNSIGNED_BYTE, text.data());
    glListBase(0);
    glEnable(GL_TEXTURE_2D);
}

TPoint TOut2D::TextExtent(std::string_view text) const
{
    const TOut2DFont *font = Font(Selected);
    if (!font)
        return {};
    int width = 0;
    for (char c : text)
        width += font->Advance[static_cast<unsigned char>(c)];
    return {width, font->Ascent + font->Descent};
}
