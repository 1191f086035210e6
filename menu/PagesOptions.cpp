// The options pages: graphics, sound, controls and game settings.

#include "menu/Pages.h"

#include "core/App.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "render/GLExt.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ResolutionCount = 6;   // the sizes of ResolutionSize

std::vector<std::string> Translated(std::initializer_list<const char *> texts)
{
    std::vector<std::string> out;
    for (const char *text : texts)
        out.push_back(Translate(text, 1));
    return out;
}

// "ON" first, as the boxes show them.
std::vector<std::string> OnOff() { return Translated({"ON", "OFF"}); }
int OnOffIndex(bool on) { return on ? 0 : 1; }
bool IsOn(const TChangeBox &box) { return box.Index == 0; }

std::vector<std::string> Steps(int count, int step)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(std::to_string(i * step));
    return out;
}

constexpr float RowStep = 48;   // virtual units between option rows

// The window sizes of the resolution table in its order, the desktop's own named by its size.
std::vector<std::string> ResolutionItems()
{
    std::vector<std::string> items;
    for (int index = 0; index < ResolutionCount; ++index) {
        const TPoint size = ResolutionSize(index, ScreenWidthMetric(), ScreenHeightMetric());
        items.push_back(std::to_string(size.x) + "x" + std::to_string(size.y));
    }
    return items;
}

} // namespace

// ---- Options ------------------------------------------------------------------------------------

TOptionsPage::TOptionsPage()
    : Graphics(MenuButton(0, 150, "GRAPHICS")), Sound(MenuButton(0, 98, "SOUND")), Controls(MenuButton(0, 46, "CONTROLS")),
      Game(MenuButton(0, -6, "GAME")), Back(MenuButton(0, -96, "BACK"))
{
}

void TOptionsPage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-190, -140, 190, 268});
    DrawMenuText(Translate("OPTIONS", 1), MenuBigFont, 0, 222, TAlign::Centre, TitleColor);
    const std::pair<TButton *, int> exits[] = {
        {&Graphics, PageView}, {&Sound, PageSound}, {&Controls, PageControls}, {&Game, PageGame}, {&Back, PageMain}};
    for (const auto &[button, page] : exits)
        if (button->Frame(cursorX, cursorY)) {
            Clicked();
            Menu->SetPage(page);
        }
}

// ---- Graphics -----------------------------------------------------------------------------------

TViewPage::TViewPage()
    : Resolution(170, Translate("RESOLUTION", 1), ResolutionItems(), 0),
      ColorDepth(170 - RowStep, Translate("COLOR DEPTH", 1), {"16", "32"}, 1),
      Shaders(170 - 2 * RowStep, Translate("SHADERS", 1), OnOff(), 0),
      FullScreen(170 - 3 * RowStep, Translate("FULLSCREEN", 1), OnOff(), 0),
      Haze(170 - 4 * RowStep, Translate("HAZE", 1), OnOff(), 0),
      Shadow(170 - 5 * RowStep, Translate("SHADOW", 1), OnOff(), 0),
      Apply(MenuButton(-140, -190, "APPLY", 1, 250)), Back(MenuButton(140, -190, "BACK", 1, 250))
{
    // What the extension loader found at start-up: the same answer the renderer acts on.
    HasShaders = ShadersAvailable;
    HasFramebuffers = FBOAvailable;
    // Until a restart applies them, the pending window settings are the ones in use.
    Config->PendingResolution = Config->Resolution;
    Config->PendingFullScreen = Config->FullScreen;
    Show();
}

void TViewPage::Show()
{
    Resolution.Index = std::clamp(Config->PendingResolution, 0, ResolutionCount - 1);
    ColorDepth.Index = Config->ColorBits == 16 ? 0 : 1;
    FullScreen.Index = OnOffIndex(Config->PendingFullScreen);
    Shaders.Index = OnOffIndex(Config->Shaders && HasShaders);
    Shaders.SetEnabled(HasShaders);
    Haze.Index = OnOffIndex(Config->Haze && HasFramebuffers);
    Haze.SetEnabled(HasFramebuffers);
    Shadow.Index = OnOffIndex(Config->Shadows);
}

void TViewPage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-320, -236, 320, 268});
    DrawMenuText(Translate("GRAPHICS", 1), MenuBigFont, 0, 222, TAlign::Centre, TitleColor);
    for (TChangeBox *box : {&Resolution, &ColorDepth, &Shaders, &FullScreen, &Haze, &Shadow})
        box->Frame(cursorX, cursorY);
    if (Apply.Frame(cursorX, cursorY)) {
        Clicked();
        Config->PendingResolution = Resolution.Index;
        Config->PendingFullScreen = IsOn(FullScreen);
        Config->ColorBits = ColorDepth.Index == 0 ? 16 : 32;
        Config->Shaders = IsOn(Shaders) && HasShaders;
        Config->Haze = IsOn(Haze) && HasFramebuffers;
        Config->Shadows = IsOn(Shadow);
        Menu->SetPage(PageRestart);
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageOptions);
    }
}

// ---- Sound --------------------------------------------------------------------------------------

TSoundPage::TSoundPage()
    : Music(140, Translate("MUSIC", 1), Steps(11, 10), 10), Sound(140 - RowStep, Translate("SOUND", 1), Steps(11, 10), 10),
      Back(MenuButton(0, -20, "BACK"))
{
    Show();
}

void TSoundPage::Show()
{
    Music.Index = std::clamp((Config->MusicVolume + 5) / 10, 0, 10);
    Sound.Index = std::clamp((Config->SoundVolume + 5) / 10, 0, 10);
}

void TSoundPage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-320, -70, 320, 268});
    DrawMenuText(Translate("SOUND", 1), MenuBigFont, 0, 222, TAlign::Centre, TitleColor);
    // Volumes take effect at once, so the player hears the change.
    if (Music.Frame(cursorX, cursorY))
        Config->MusicVolume = Music.Index * 10;
    if (Sound.Frame(cursorX, cursorY))
        Config->SoundVolume = Sound.Index * 10;
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageOptions);
    }
}

// ---- Controls -----------------------------------------------------------------------------------

namespace {

// The seven key fields, then the mouse and pad settings, in rows a little closer than on the other
// option pages so that ten rows fit.
constexpr float ControlRowTop = 208, ControlRowStep = 44;
constexpr float ControlSettingsTop = ControlRowTop - KeyActionCount * ControlRowStep - 8;

// A setting's values as the page offers them: Min..Max in Steps, as percentages.
std::vector<std::string> SettingItems(const TInputSetting &setting)
{
    std::vector<std::string> items;
    for (int value = setting.Min; value <= setting.Max; value += setting.Step)
        items.push_back(std::to_string(value) + "%");
    return items;
}

// The offered value nearest to Value (a hand-edited file may hold any value in range).
int SettingIndex(const TInputSetting &setting, int value)
{
    const int last = (setting.Max - setting.Min) / setting.Step;
    return std::clamp((value - setting.Min + setting.Step / 2) / setting.Step, 0, last);
}

TChangeBox SettingBox(int row, const TInputSetting &setting)
{
    return TChangeBox(ControlSettingsTop - float(row) * ControlRowStep, Translate(std::string(setting.MenuLabel), 1),
                      SettingItems(setting), SettingIndex(setting, setting.Default));
}

} // namespace

TControlsPage::TControlsPage()
    : MouseSensitivity(SettingBox(0, MouseSensitivitySetting)), PadSensitivity(SettingBox(1, PadSensitivitySetting)),
      PadDeadZone(SettingBox(2, PadDeadZoneSetting)),
      Default(MenuButton(-140, ControlSettingsTop - 3 * ControlRowStep - 26, "DEFAULT", 1, 250)),
      Back(MenuButton(140, ControlSettingsTop - 3 * ControlRowStep - 26, "BACK", 1, 250))
{
    for (int action = 0; action < KeyActionCount; ++action)
        Fields.emplace_back(ControlRowTop - ControlRowStep * float(action), action);
    Show();
}

void TControlsPage::Show()
{
    for (TKeyEdit &field : Fields)
        field.StopCapture();
    if (Keys) {
        MouseSensitivity.Index = SettingIndex(MouseSensitivitySetting, Keys->MouseSensitivity);
        PadSensitivity.Index = SettingIndex(PadSensitivitySetting, Keys->PadSensitivity);
        PadDeadZone.Index = SettingIndex(PadDeadZoneSetting, Keys->PadDeadZone);
    }
}

void TControlsPage::Frame(int dt, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-320, Default.Rect.Bottom - 46, 320, 300});
    DrawMenuText(Translate("CONTROLS", 1), MenuBigFont, 0, 258, TAlign::Centre, TitleColor);
    for (TKeyEdit &field : Fields)
        if (field.Frame(dt, cursorX, cursorY))
            for (TKeyEdit &other : Fields)
                if (&other != &field)
                    other.StopCapture();   // one capture at a time
    // A setting takes effect at once, so the player feels the change in the next flight without
    // leaving through "BACK"; keys.cfg keeps it at shut-down.
    const std::pair<TChangeBox *, std::pair<const TInputSetting *, int TKeys::*>> settings[] = {
        {&MouseSensitivity, {&MouseSensitivitySetting, &TKeys::MouseSensitivity}},
        {&PadSensitivity, {&PadSensitivitySetting, &TKeys::PadSensitivity}},
        {&PadDeadZone, {&PadDeadZoneSetting, &TKeys::PadDeadZone}},
    };
    for (const auto &[box, kept] : settings)
        if (box->Frame(cursorX, cursorY) && Keys)
            Keys->*kept.second = kept.first->Min + box->Index * kept.first->Step;
    if (Default.Frame(cursorX, cursorY)) {
        Clicked();
        if (Keys) {
            Keys->SetDefaults();
            Keys->SetDefaultSettings();
        }
        Show();
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Show();
        Menu->SetPage(PageOptions);
    }
}

// ---- Game ---------------------------------------------------------------------------------------

namespace {

// The game page's eight rows, a little closer than the other pages' to leave room for the button.
float GameRowY(int row) { return 180 - 42 * float(row); }

} // namespace

// Brightness is shown as a percentage-like step (index x 11) and stored as index / 55.
TGamePage::TGamePage()
    : Camera(GameRowY(0), Translate("CAMERA", 1), OnOff(), 0),
      Distance(GameRowY(1), Translate("DISTANCE", 1), Translated({"UNLIMITED", "HIGH", "MEDIUM", "LOW"}), 1),
      Effects(GameRowY(2), Translate("EFFECTS", 1), Translated({"HIGH", "MEDIUM", "LOW", "OFF"}), 0),
      Effects3D(GameRowY(3), Translate("3D EFFECTS", 1), OnOff(), 0),
      Invert(GameRowY(4), Translate("INVERT", 1), OnOff(), 1),
      Brightness(GameRowY(5), Translate("BRIGHTNESS", 1), Steps(10, 11), 0),
      Reflections(GameRowY(6), Translate("REFLECTIONS", 1), Translated({"OFF", "LOW", "HIGH"}), 1),
      Difficulty(GameRowY(7), Translate("DIFFICULTY", 1), Translated({"EASY", "NORMAL", "HARD"}), 1),
      Back(MenuButton(0, -196, "BACK"))
{
    Show();
}

void TGamePage::Show()
{
    Camera.Index = OnOffIndex(Config->CameraView);
    Distance.Index = std::clamp(Config->ViewDistance, 0, 3);
    Effects.Index = std::clamp(Config->Effects, 0, 3);
    Effects3D.Index = OnOffIndex(Config->Effects3D);
    Invert.Index = OnOffIndex(Config->InvertMouse);
    Brightness.Index = std::clamp(int(std::lround(Config->Brightness * 55)), 0, 9);
    Reflections.Index = std::clamp(Config->Reflections, 0, 2);
    Difficulty.Index = std::clamp(Config->Difficulty, 0, 2);
}

void TGamePage::Store() const
{
    Config->CameraView = IsOn(Camera);
    Config->ViewDistance = Distance.Index;
    Config->Effects = Effects.Index;
    Config->Effects3D = IsOn(Effects3D);
    Config->InvertMouse = IsOn(Invert);
    Config->Brightness = float(Brightness.Index) / 55;
    Config->Reflections = Reflections.Index;
    Config->Difficulty = Difficulty.Index;
}

void TGamePage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-320, -242, 320, 268});
    DrawMenuText(Translate("GAME", 1), MenuBigFont, 0, 228, TAlign::Centre, TitleColor);
    for (TChangeBox *box : {&Camera, &Distance, &Effects, &Effects3D, &Invert, &Brightness, &Reflections, &Difficulty})
        box->Frame(cursorX, cursorY);
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Store();
        Menu->SetPage(PageOptions);
    }
}
