#include "menu/Menu.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Out2D.h"
#include "menu/MenuDraw.h"
#include "menu/Pages.h"
#include "menu/Widgets.h"
#include "sim/DataExchange.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"

#include <GL/gl.h>

#include <cmath>

TMenu *Menu = nullptr;

int         MenuPage = 0;
int         GameKind = 0;
std::string Country;
bool        WidgetHovered = false;
bool        LanEnabled = false;
int         MenuFrameCount = 0;
unsigned    MenuFont = 0, MenuBigFont = 0, MenuSmallFont = 0, MenuTinyFont = 0;

FSOUND_SAMPLE *OnButtonSound = nullptr;
FSOUND_SAMPLE *ClickSound = nullptr;

std::function<bool(const TServerEntry &)> JoinNetworkGame;
std::function<bool(const std::string &)>  HostNetworkGame;
std::function<void()>                     LeaveNetworkGame;

namespace {

constexpr float CursorHalf = 512;            // virtual units either side of the cursor
constexpr float ZoomShrink = 550;            // the zoom cursor is 1 - time / 550 of its size in a transition
constexpr int   RotatePeriod = 3600;         // ms per turn of the rotating cursor
constexpr float RotateRadiusX = 1.35f * 512, RotateRadiusY = 1.3333f * 512;

int LoadImage(const std::string &name)
{
    return TextureLib->Load(AppDir + "Data\\Menu\\" + name, GL_LINEAR, GL_LINEAR);
}

unsigned MenuFontOf(int points) { return Out2D->CreateFont("Perfo", int(std::lround(points * UiScale)), false); }

// A quad of Half virtual units either side of (X, Y), upright.
void DrawAround(int texture, float x, float y, float half)
{
    Out2D->DrawImage(texture, x - VX(half), y + VY(half), x + VX(half), y - VY(half));
}

} // namespace

void PlayMenuSound(FSOUND_SAMPLE *sample)
{
    if (SoundLib && sample && Config)
        SoundLib->Play2D(sample, Config->SoundVolume);
}

void ReleaseAllKeys()
{
    if (!Keys)
        return;
    for (int code = 0; code < KeyCodeCount; ++code)
        Keys->Release(code);
}

TMenu::TMenu()
{
    BackgroundTexture = LoadImage(Translate("Menu.png", 0));
    CursorInTexture = LoadImage("Cursor_Main_In.png");
    CursorOutTexture = LoadImage("Cursor_Main_Out.png");
    CursorZoomTexture = LoadImage("Cursor_Zoom.png");
    CursorRotateTexture = LoadImage("Cursor_Rotate.png");
    WaitTexture = LoadImage(Translate("Wait.png", 0));
    LoadMenuArt();

    MenuFont = MenuFontOf(17);
    MenuBigFont = MenuFontOf(28);
    MenuSmallFont = MenuFontOf(11);
    MenuTinyFont = MenuFontOf(8);

    if (SoundLib) {
        // The menu theme is optional data: a game folder without it plays the menu in silence.
        const std::string music = AppDir + "Data\\Music\\Menu.ogg";
        if (DataFileExists(music))
            MenuMusic = SoundLib->LoadSample(music, true);
        else
            LogWrite("No menu music: " + music);
        OnButtonSound = SoundLib->LoadSample(AppDir + "Data\\Sounds\\OnButton.WAV", false);
        ClickSound = SoundLib->LoadSample(AppDir + "Data\\Sounds\\Click.WAV", false);
    }

    CreateMenuPages(Pages);
    // The network pages are there to be reached; what they can start depends on the network layer.
    LanEnabled = true;

    if (Config->PlayerCount == 0) {
        Config->CurrentPlayer = 0;
        MenuPage = PageCreatePlayer;
    } else {
        MenuPage = PageMain;
    }
    Menu = this;
    LogWrite("Menu page " + std::to_string(MenuPage));
    if (Pages[std::size_t(MenuPage)])
        Pages[std::size_t(MenuPage)]->Show();
}

TMenu::~TMenu()
{
    if (Menu == this)
        Menu = nullptr;
}

void TMenu::SetPage(int page)
{
    TransitionActive = true;
    TransitionTime = 0;
    TargetPage = page;
}

void TMenu::ShowPage(int page)
{
    TransitionActive = false;
    TransitionTime = 0;
    MenuPage = page;
    LogWrite("Menu page " + std::to_string(page));
    if (page >= 0 && page < MenuPageCount && Pages[std::size_t(page)])
        Pages[std::size_t(page)]->Show();
}

void TMenu::Frame(int dt)
{
    ++MenuFrameCount;
    Clock += dt;
    CursorX = float(CursorClientPos.x) * PixelSizeX - 1;
    CursorY = 1 - float(CursorClientPos.y) * PixelSizeY - 0.1f;
    WidgetHovered = false;
    CheckMissionEnd();

    Begin2D();
    glDisable(GL_FOG);   // the mission's fog stays on after its frame
    DrawBackground();

    if (MenuPage >= 0 && MenuPage < MenuPageCount && Pages[std::size_t(MenuPage)])
        Pages[std::size_t(MenuPage)]->Frame(dt, CursorX, CursorY);

    if (TransitionActive) {
        TransitionTime += dt;
        if (TransitionTime >= TransitionLength) {
            TransitionActive = false;
            // A transition back to the same page (an option box changed) keeps what the page shows.
            if (TargetPage != MenuPage)
                ShowPage(TargetPage);
        }
    }

    DrawCursor();
    Keys->Release(VkLeftButton);
    Keys->Release(VkRightButton);
}

void TMenu::DrawCursor()
{
    glColor4f(1, 1, 1, 1);
    DrawAround(WidgetHovered ? CursorInTexture : CursorOutTexture, CursorX, CursorY, CursorHalf);
    const float zoom = TransitionActive ? 1 - float(TransitionTime) / ZoomShrink : 1;
    DrawAround(CursorZoomTexture, CursorX, CursorY, CursorHalf * zoom);

    const float turn = float(Clock % RotatePeriod) / RotatePeriod * 6.2831853f;
    float x[4], y[4];
    for (int k = 0; k < 4; ++k) {
        const float a = turn + 0.78539816f * float(2 * k + 1);
        x[k] = CursorX + VX(RotateRadiusX) * std::cos(a);
        y[k] = CursorY + VY(RotateRadiusY) * std::sin(a);
    }
    // Corners counter-clockwise from the upper right, with the texture's corners in the same turn.
    TextureLib->Bind(CursorRotateTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex2f(x[0], y[0]);
    glTexCoord2f(0, 0);
    glVertex2f(x[1], y[1]);
    glTexCoord2f(0, 1);
    glVertex2f(x[2], y[2]);
    glTexCoord2f(1, 1);
    glVertex2f(x[3], y[3]);
    glEnd();
}

void TMenu::CheckMissionEnd()
{
    if (GameKind != 2 || MissionEndHandled)
        return;
    const TScriptDataExchange *exchange = CurrentExchange();
    if (!exchange || exchange->Result == TMissionResult::Running)
        return;
    MissionEndHandled = true;
    // Whatever was held in flight (the trigger, a steering key) must not act on the result's page.
    ReleaseAllKeys();
    if (exchange->Result == TMissionResult::Lost) {
        ShowPage(PageLose);
        return;
    }
    const TGamePlayer *player = CurrentGamePlayer();
    if (player && !player->ShowScore)
        FinishStage(true);
    else
        ShowPage(PageStageComplete);
}

void TMenu::DrawBackground() const
{
    // The backdrop is a 4:3 picture. A wider window shows its whole width and loses the bottom of
    // the sea (the title at the top stays); a narrower one shows its whole height, centred.
    const float aspect = PixelSizeX > 0 ? PixelSizeY / PixelSizeX : 4.0f / 3.0f;   // window width / height
    const float picture = 4.0f / 3.0f;
    glColor4f(1, 1, 1, 1);
    if (aspect >= picture) {
        Out2D->DrawImage(BackgroundTexture, -1, 1, 1, -1, 0, 0, 1, picture / aspect);
    } else {
        const float cut = (1 - aspect / picture) / 2;
        Out2D->DrawImage(BackgroundTexture, -1, 1, 1, -1, cut, 0, 1 - cut, 1);
    }
}

void TMenu::LoadingStep(int n, bool swap)
{
    LoadingCount += n;
    Begin2D();
    DrawBackground();
    auto *load = dynamic_cast<TLoadPage *>(Pages[PageLoad].get());
    if (load && load->Loading)
        load->DrawScreen();
    else
        DrawScreenPicture(WaitTexture);
    if (swap)
        SwapBuffersNow();
}
