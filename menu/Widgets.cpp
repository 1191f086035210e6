#include "menu/Widgets.h"

#include "core/App.h"
#include "core/Text.h"
#include "data/DataFiles.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Out2D.h"
#include "menu/Menu.h"
#include "assets/TextureLib.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool KeyLatched(int code) { return Keys && Keys->IsDown(code); }

void ReleaseKey(int code)
{
    if (Keys)
        Keys->Release(code);
}

// The keys a text entry takes: digits, letters, space and six punctuation keys.
bool EntryKey(int code)
{
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || code == ' ' || code == 186 || code == 188 ||
           code == 190 || code == 219 || code == 221 || code == 222;
}

// Letter keys A..Z on the standard Russian layout, as Windows-1251 capitals.
constexpr unsigned char RussianLetters[26] = {
    212, 200, 209, 194, 211, 192, 207, 208, 216, 206, 203, 196, 220,   // A..M
    210, 217, 199, 201, 202, 219, 197, 195, 204, 214, 215, 205, 223,   // N..Z
};

// The keys that feed the level-select buffer: nine letters and the digits.
constexpr const char *CheatKeySet = "ZEPHRONAS0123456789";

} // namespace

// ---- TButton ------------------------------------------------------------------------------------

TButton::TButton(TVRect rect, std::string caption, unsigned font, int inTexture, int outTexture)
    : Rect(rect), Caption(std::move(caption)), Font(font), InTexture(inTexture), OutTexture(outTexture)
{
}

void TButton::TrackHover(float cursorX, float cursorY)
{
    // A button that was not on screen last frame starts outside, so coming back to a page under
    // the cursor counts as moving onto the button.
    const bool wasHovered = Hovered && LastFrame == MenuFrameCount - 1;
    Hovered = Enabled && Rect.Contains(cursorX, cursorY);
    Entered = Hovered && !wasHovered;
    LastFrame = MenuFrameCount;
    if (Entered)
        PlayMenuSound(OnButtonSound);
    if (Hovered)
        WidgetHovered = true;
}

void TButton::Draw(int texture, TRGB captionColor) const
{
    if (!Out2D)
        return;
    if (texture >= 0)
        DrawImageIn(texture, Rect, Enabled ? 1.0f : 0.55f);
    DrawMenuText(Caption, Font, Rect.CentreX(), Rect.CentreY(), TAlign::Centre, captionColor);
}

bool TButton::Frame(float cursorX, float cursorY)
{
    TrackHover(cursorX, cursorY);
    const bool lit = Hovered || Marked;
    Draw(lit ? InTexture : OutTexture, !Enabled ? DimColor : lit ? HighlightColor : LimeColor);
    return Hovered && KeyLatched(VkLeftButton);
}

TCheckButton::TCheckButton(TVRect rect, int inTexture, int outTexture, int selectedInTexture, int selectedOutTexture)
    : TButton(rect, "", 0, inTexture, outTexture), SelectedInTexture(selectedInTexture),
      SelectedOutTexture(selectedOutTexture)
{
}

bool TCheckButton::Frame(float cursorX, float cursorY)
{
    TrackHover(cursorX, cursorY);
    const int texture = Selected ? (Hovered ? SelectedInTexture : SelectedOutTexture) : (Hovered ? InTexture : OutTexture);
    Draw(texture, Hovered ? HighlightColor : LimeColor);
    return Hovered && KeyLatched(VkLeftButton);
}

// ---- TChangeBox ---------------------------------------------------------------------------------

int WrapIndex(int index, int step, int count)
{
    if (count <= 0)
        return 0;
    index += step;
    if (index >= count)
        return 0;
    if (index < 0)
        return count - 1;
    return index;
}

TChangeBox::TChangeBox(float y, std::string label, std::vector<std::string> items, int index)
    : Label(std::move(label)), Items(std::move(items)), Index(std::clamp(index, 0, std::max(0, int(Items.size()) - 1))),
      Left(CentredRect(58, y, 38, 38), "<", MenuFont, MenuArt.SmallIn, MenuArt.SmallOut),
      Right(CentredRect(282, y, 38, 38), ">", MenuFont, MenuArt.SmallIn, MenuArt.SmallOut),
      Value(TVRect{82, y - 19, 258, y + 19}, "", MenuFont, MenuArt.Field, MenuArt.Field), Y(y)
{
}

void TChangeBox::SetEnabled(bool enabled)
{
    Enabled = enabled;
    Left.Enabled = Right.Enabled = Value.Enabled = enabled;
}

void TChangeBox::Step(int step)
{
    if (!Enabled)
        return;
    Index = WrapIndex(Index, step, int(Items.size()));
    PlayMenuSound(ClickSound);
    if (Menu)
        Menu->SetPage(MenuPage);
}

void TChangeBox::Next() { Step(1); }
void TChangeBox::Previous() { Step(-1); }

bool TChangeBox::Frame(float cursorX, float cursorY)
{
    if (Out2D)
        DrawMenuText(Label, MenuFont, -296, Y, TAlign::Left, Enabled ? TitleColor : DimColor);
    Value.Caption = Items.empty() ? std::string() : Items[std::size_t(Index)];
    const int before = Index;
    if (Left.Frame(cursorX, cursorY))
        Previous();
    if (Right.Frame(cursorX, cursorY))
        Next();
    if (Value.Frame(cursorX, cursorY))
        Next();
    return Index != before;
}

// ---- TKeyEdit -----------------------------------------------------------------------------------

void TakeCapturedKey(std::array<int, 2> &slots, int code)
{
    if (slots[0] == KeyUnbound) {
        slots[0] = code;
        return;
    }
    if (slots[1] != KeyUnbound)
        slots[0] = slots[1];
    slots[1] = code;
}

int LowestLatchedKey(bool mouseAllowed)
{
    for (int code = 0; code < KeyCodeCount; ++code) {
        if (code == VkLeftButton && !mouseAllowed)
            continue;
        if (KeyLatched(code))
            return code;
    }
    return -1;
}

std::string BoundKeysText(const std::array<int, 2> &slots)
{
    auto name = [](int code) { return Translate(TKeys::KeyName(code), 1); };
    if (slots[1] == KeyUnbound || slots[1] == slots[0])
        return name(slots[0]);
    if (slots[0] == KeyUnbound)
        return name(slots[1]);
    return name(slots[0]) + ", " + name(slots[1]);
}

TKeyEdit::TKeyEdit(float y, int action)
    : Action(action), Field(TVRect{-24, y - 19, 300, y + 19}, "", MenuFont, MenuArt.Field, MenuArt.Field), Y(y)
{
}

bool TKeyEdit::Frame(int dt, float cursorX, float cursorY)
{
    std::array<int, 2> slots{KeyUnbound, KeyUnbound};
    if (Keys)
        slots = Keys->Bindings[std::size_t(Action)];
    if (Capturing) {
        BlinkTime += dt;
        const int code = LowestLatchedKey(Field.Rect.Contains(cursorX, cursorY));
        if (code >= 0) {
            TakeCapturedKey(slots, code);
            Keys->Bindings[std::size_t(Action)] = slots;
            ReleaseKey(code);   // the key was for the binding, not for the page
            Capturing = false;
            PlayMenuSound(ClickSound);
        }
    }
    if (Out2D)
        DrawMenuText(Translate(std::string(KeyActions[std::size_t(Action)].MenuLabel), 1), MenuFont, -296, Y,
                     TAlign::Left, TitleColor);
    Field.Caption = BoundKeysText(slots);
    Field.Marked = Capturing;
    const bool clicked = Field.Frame(cursorX, cursorY);
    if (Capturing && Out2D && BlinkTime % 500 < 250)
        DrawFill(Field.Rect, HighlightColor, 0.35f);
    if (clicked && !Capturing) {
        Capturing = true;
        BlinkTime = 0;
        ReleaseKey(VkLeftButton);   // the click that starts the capture is not the key captured
        return true;
    }
    return false;
}

// ---- Add-on map sets ----------------------------------------------------------------------------

TModSet ReadModSet(const std::string &fileName)
{
    TTextFile file(fileName, Extractor);
    TModSet set;
    set.FileName = fileName;
    while (!file.Eof()) {
        const std::string line = file.ReadTrimmedLine();
        if (line.empty() || line[0] == '/')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = UpperCase(TrimText(line.substr(0, eq)));
        const std::string value = TrimText(line.substr(eq + 1));
        if (key == "BUTTONNAME")
            set.ButtonName = value;
        else if (key == "BUTTONMOUSEIN")
            set.ButtonMouseIn = value;
        else if (key == "BUTTONMOUSEOUT")
            set.ButtonMouseOut = value;
        else if (key == "FIRSTSCREEN")
            set.FirstScreen = value;
        else if (key == "LASTSCREEN")
            set.LastScreen = value;
        else if (key == "FIRSTLEVEL")
            set.FirstLevel = value;
        else if (key == "SHOWSCORE")
            set.ShowScore = UpperCase(value) == "TRUE";
    }
    return set;
}

std::vector<std::string> FindModSets()
{
    const std::string folder = AppDir + "Data\\Maps\\";
    std::vector<std::string> paths;
    for (const std::string &name : ListDataFiles(folder, ".mod"))
        paths.push_back(folder + name);
    return paths;
}

TModButton::TModButton(const TModSet &set, TVRect rect)
    : TButton(rect, set.ButtonName, MenuFont, MenuArt.ButtonIn, MenuArt.ButtonOut), Set(set)
{
    const std::string in = AppDir + "Data\\" + set.ButtonMouseIn, out = AppDir + "Data\\" + set.ButtonMouseOut;
    if (TextureLib && !set.ButtonMouseIn.empty() && !set.ButtonMouseOut.empty() && DataFileExists(in) &&
        DataFileExists(out)) {
        InTexture = TextureLib->Load(in, GL_LINEAR, GL_LINEAR);
        OutTexture = TextureLib->Load(out, GL_LINEAR, GL_LINEAR);
    }
}

// ---- TTextWindow --------------------------------------------------------------------------------

TTextWindow::TTextWindow(int texture, TVRect rect) : Texture(texture), Rect(rect) {}

void TTextWindow::Frame(float cursorX, float cursorY)
{
    if (Out2D) {
        glColor4f(1, 1, 1, 1);
        Out2D->DrawImage(Texture, VX(Rect.Left), VY(Rect.Top), VX(Rect.Right), VY(Rect.Bottom), 0, 0, 0.810546875f,
                         0.615234375f);
    }
    if (HasLink && Link.Frame(cursorX, cursorY)) {
        PlayMenuSound(ClickSound);
        ShellOpenShow(LinkTarget);
    }
}

// ---- TCheatCode ---------------------------------------------------------------------------------

// The level-select codes, for the developers: typed on the main page, code n (n = 1..15 below)
// starts mission n of the campaign; the sixteenth does nothing there.
//   1 S8A6ON92    5 RS31O24A    9 HE4Z3R98   13 S47R1O62
//   2 N01P23H5    6 OR1N07E3   10 HN34A07P   14 7N4OH2AR
//   3 5RN4Z3O1    7 O9PR0E35   11 A80S7O91   15 P5H70R92
//   4 45HR3ON9    8 74EN0AS8   12 0N5ER81H   16 3HA7PR15
// No character repeats within a code, no three letters or three digits stand together, so no word,
// name or number a player types by chance makes one.
const std::array<const char *, LevelCodeCount> LevelCodes = {
    "S8A6ON92", "N01P23H5", "5RN4Z3O1", "45HR3ON9", "RS31O24A", "OR1N07E3", "O9PR0E35", "74EN0AS8",
    "HE4Z3R98", "HN34A07P", "A80S7O91", "0N5ER81H", "S47R1O62", "7N4OH2AR", "P5H70R92", "3HA7PR15",
};

int TCheatCode::Feed(char c)
{
    Buffer = Buffer.substr(1) + c;
    for (std::size_t i = 0; i < LevelCodes.size(); ++i)
        if (Buffer == LevelCodes[i])
            return int(i);
    return -1;
}

int TCheatCode::Update()
{
    int match = -1;
    for (const char *c = CheatKeySet; *c; ++c)
        if (KeyLatched(*c)) {
            ReleaseKey(*c);
            const int found = Feed(*c);
            if (found >= 0)
                match = found;
        }
    return match;
}

// ---- Text entry ---------------------------------------------------------------------------------

char TextEntryCharacter(int code, bool russianLayout)
{
    if (!EntryKey(code))
        return 0;
    if (russianLayout) {
        if (code >= 'A' && code <= 'Z')
            return char(RussianLetters[code - 'A']);
        switch (code) {
        case 186: return char(198);
        case 188: return char(193);
        case 190: return char(222);
        case 219: return char(213);
        case 221: return char(218);
        case 222: return char(221);
        default: break;
        }
    }
    switch (code) {
    case 219: return '{';
    case 186: return ':';
    case 188: return '<';
    case 190: return '>';
    case 221: return '}';
    case 222: return '"';
    default: return char(code);
    }
}

bool TTextEntry::Update(int dt)
{
    CaretTime -= dt;
    if (CaretTime < -500)
        CaretTime = 500;
    const bool russian = IsRussianKeyboard();
    for (int code = 0; code < 256; ++code)
        if (EntryKey(code) && KeyLatched(code)) {
            Text += TextEntryCharacter(code, russian);
            ReleaseKey(code);
        }
    if (KeyLatched(VkBackspace)) {
        ReleaseKey(VkBackspace);
        if (!Text.empty())
            Text.pop_back();
        PlayMenuSound(ClickSound);
    }
    if (KeyLatched(VkReturn)) {
        ReleaseKey(VkReturn);
        return true;
    }
    return false;
}

std::string TTextEntry::Trimmed() const { return TrimText(Text); }

void TTextEntry::Draw(const TVRect &field, unsigned font) const
{
    if (!Out2D)
        return;
    DrawImageIn(MenuArt.Field, field);
    const float room = field.Right - field.Left - 40;
    std::string shown = Text;
    while (!shown.empty() && TextWidth(shown, font) > room)
        shown.erase(0, 1);
    const float width = TextWidth(shown, font);
    const float left = field.CentreX() - width / 2;
    DrawMenuText(shown, font, left, field.CentreY(), TAlign::Left, LimeColor);
    const float alpha = float(std::abs(CaretTime) + 200) / 700;
    const float caretX = left + width + 3;
    const float h = (field.Top - field.Bottom) * 0.32f;
    DrawFill(TVRect{caretX, field.CentreY() - h, caretX + 4, field.CentreY() + h}, CaretColor, alpha);
}
