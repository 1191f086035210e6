#include "hud/HUD.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/Timer.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Crosshair.h"
#include "hud/MessangerDraw.h"
#include "hud/Out2D.h"
#include "render/Environment.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Weapons.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

THUD *HUD = nullptr;

namespace {

constexpr int TabKey = 9;   // the Tab key itself shows the task list, whatever the bindings say
constexpr int BlinkTime = 400;   // ms of each half of the HUD's blink
constexpr int LocaleFlight = 3;      // the in-flight texts: weapon captions
constexpr int LocaleMessages = 4;    // the mission's own texts: the indicator's label
constexpr float IndicatorLabelWidth = 240;   // pixels the indicator's label may take

// The font the mission timer is drawn in, while a HUD exists.
unsigned TimerTextFont = 0;

void TimerText(const std::string &text, float x, float y, float red, float green, float blue)
{
    if (!Out2D)
        return;
    glColor4f(red, green, blue, 1);
    Out2D->DrawText(text, TimerTextFont, x, y);
    glColor4f(1, 1, 1, 1);
}

// Covers the whole window in black at Alpha (held in 0..1); nothing at 0.
void Cover(float alpha)
{
    alpha = std::clamp(alpha, 0.0f, 1.0f);
    if (alpha <= 0)
        return;
    glColor4f(0, 0, 0, alpha);
    Out2D->DrawRect(-1, 1, 1, -1);
    glColor4f(1, 1, 1, 1);
}

// Whether Weapon fired within its interval before now.
bool FiredLately(const TWeapon &weapon) { return GameClock - weapon.LastShot < weapon.Interval; }

// The objects of the mission being flown.
TObjectsControl *MissionObjects(const TGamer *gamer)
{
    if (Environment)
        return Environment->World.Objects();
    return gamer ? gamer->Mission() : nullptr;
}

// A text width in pixels in Font, leaving the 2D output's selected font as it was.
int TextWidth(unsigned font, const std::string &text)
{
    const unsigned selected = Out2D->Selected;
    Out2D->SelectFont(font);
    const int width = Out2D->TextExtent(text).x;
    Out2D->SelectFont(selected);
    return width;
}

// Text cut down (with "...") until it is at most Width pixels wide in Font.
std::string Fit(unsigned font, std::string text, float width)
{
    if (float(TextWidth(font, text)) <= width)
        return text;
    while (!text.empty() && float(TextWidth(font, text + "...")) > width)
        text.pop_back();
    return text + "...";
}

} // namespace

TBarColour BarColour(float fraction)
{
    if (fraction > 0.5f)
        return {0, 1, 0};
    if (fraction > 0.25f)
        return {1, 1, 0};
    return {1, 0, 0};
}

THUD::THUD() : Messages(ScreenHeight)
{
    if (!Out2D || !TextureLib)
        throw std::logic_error("The HUD needs the 2D output and the texture library to be created first");
    InstallMessangerOutput(Messages);
    Messanger = &Messages;

    // Drawn texel for pixel: nearest filtering keeps them sharp; the missile target mark is scaled.
    const auto picture = [](const std::string &name, int filter = GL_NEAREST) {
        return TextureLib->Load(AppDir + "Data\\HUD\\" + name, filter, filter);
    };
    IndicatorTexture = picture(Translate("Indicator.png", 0));
    GridTexture = picture("Indicator_Grid.png");
    RadarTexture = picture("Radar.png");
    CameraTexture = picture("Camera.png");
    MissileReticle = picture("Missile_Targeting.png");
    MissileTargetTexture = picture("Missile_Target.png", GL_LINEAR);
    BombingTexture = picture("bombing.png");
    GunReticle = picture("Gun_Targeting.png");
    PitchStrip = picture("Attack_Angle.png");

    TextFont = Out2D->CreateFont("Arial", 10, false);
    BigFont = Out2D->CreateFont("Arial Black", 18, false);
    LabelFont = Out2D->CreateFont("Arial Black", 11, false);
    TimerFont = Out2D->CreateFont("Arial Black", 10, false);
    TimerTextFont = TimerFont;
    TimerTextOutput = TimerText;
}

THUD::~THUD()
{
    // Nothing may reach this HUD once it is gone.
    if (Messanger == &Messages)
        Messanger = nullptr;
    if (TimerTextOutput == TimerText)
        TimerTextOutput = nullptr;
    if (HudSeam == this)
        HudSeam = nullptr;
    if (HUD == this)
        HUD = nullptr;
}

void THUD::SetIndicator(const int *value, const std::string &label)
{
    IndicatorValue = value;
    // A label too long for the band under the panel is cut short rather than run off the screen.
    IndicatorLabel = value ? Fit(LabelFont, Translate(label, LocaleMessages), IndicatorLabelWidth) : std::string();
}

void THUD::DrawBar(float alpha, float fraction, float y, float x) const
{
    const float f = std::clamp(std::isnan(fraction) ? 0.0f : fraction, 0.0f, 1.0f);
    if (f <= 0)
        return;
    const TBarColour colour = BarColour(f);
    glColor4f(colour.r, colour.g, colour.b, alpha);
    // The grid picture's first 0.56 spans the 143-pixel trough.
    Out2D->DrawImage(GridTexture, x, y, x + 143 * PixelSizeX * f, y - 16 * PixelSizeY, 0, 0, 0.56f * f, 1);
    glColor4f(1, 1, 1, 1);
}

void THUD::Draw(int dt)
{
    if (!Out2D)
        return;
    Begin2D();
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glLineWidth(1);

    const float sx = PixelSizeX, sy = PixelSizeY;
    const bool blinkOn = GameClock / BlinkTime % 2 == 0;
    const TGamer *gamer = PlayerGamer();

    DrawPanel(gamer, blinkOn);
    DrawIndicator();
    DrawRadar(gamer);
    if (Config && Config->CameraView)
        Out2D->DrawImage(CameraTexture, 1 - 312 * sx, -1 + 220 * sy, 1 + 200 * sx, -1 - 36 * sy);
    if ((!Fade || Fade->In == 0) && gamer && gamer->TakeOffClock < 1 && gamer->HoldClock < 1 && gamer->Health > 0)
        DrawFlightSymbols(*gamer);

    if (Environment)
        Environment->World.World.Timer.Draw(-1.0f, 0.95f);
    if (Keys && Keys->IsDown(TabKey)) {
        const TScriptDataExchange *exchange = Environment ? Environment->World.Exchange() : nullptr;
        DrawTasks(Messages, exchange ? exchange->Tasks : std::vector<TMissionTask>());
    }

    DrawFades(dt);
    Messages.Update(dt);
    DrawMessages(Messages);
    if (Crosshair)
        Crosshair->Draw();

    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

void THUD::DrawPanel(const TGamer *gamer, bool blinkOn) const
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    // The top right corner, 256 x 128 pixels.
    Out2D->DrawImage(IndicatorTexture, 1 - 256 * sx, 1, 1, 1 - 128 * sy);
    if (!gamer)
        return;
    const float barX = 1 - 225 * sx;
    DrawBar(1, gamer->MaxHealth > 0 ? gamer->Health / gamer->MaxHealth : 0, 1 - 26 * sy, barX);
    if (const TWeapon *special = gamer->Weapons[SpecialSlot].get()) {
        // Loaded (or a weapon that never reloads): a full bar that blinks; reloading: it fills up.
        if (special->ReloadTime <= special->ReloadClock || special->ReloadTime <= 0)
            DrawBar(blinkOn ? 1.0f : 0.0f, 1, 1 - 78 * sy, barX);
        else
            DrawBar(1, 1 - float(special->ReloadClock) / float(special->ReloadTime), 1 - 78 * sy, barX);
    }
}

void THUD::DrawIndicator() const
{
    if (!IndicatorValue)
        return;
    const float sx = PixelSizeX, sy = PixelSizeY;
    // Just under the panel, on a dark band so that it reads over a bright sky.
    const float top = 1 - 130 * sy, left = 1 - 248 * sx;
    glColor4f(0, 0, 0, 0.5f);
    Out2D->DrawRect(1 - 256 * sx, top, 1, top - 52 * sy);
    glColor4f(0.6f, 1, 0.6f, 1);
    Out2D->DrawText(IndicatorLabel, LabelFont, left, top - 18 * sy);
    glColor4f(1, 1, 1, 1);
    Out2D->DrawText(std::to_string(*IndicatorValue), BigFont, left, top - 46 * sy);
}

void THUD::DrawRadar(const TGamer *gamer)
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    // The bottom left corner; the frame's lower 80 pixels lie below the window.
    Out2D->DrawImage(RadarTexture, -1, -1 + 175 * sy, -1 + 256 * sx, -1 - 80 * sy);
    Radar.Objects = MissionObjects(gamer);
    Radar.Player = gamer;
    // The scope's centre in the frame picture: 83 pixels in, 91.5 up (on a 4:3 window that is
    // 122 pixels of the horizontal scale).
    Radar.Draw(RadarRange, 72 * sy, 91.5f * sy - 1, 83 * sx - 1);
}

void THUD::DrawFlightSymbols(const TGamer &gamer) const
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    const float x = Crosshair ? Crosshair->ReticleX : 0, y = Crosshair ? Crosshair->ReticleY : 0;

    glColor4f(1, 1, 1, 1);
    Out2D->DrawImage(MissileReticle, x - 128 * sx, y + 128 * sy, x + 128 * sx, y - 128 * sy);
    if (LiveCurrentTarget())
        glColor4f(1, 0, 0, 1);
    Out2D->DrawImage(GunReticle, x - 64 * sx, y + 64 * sy, x + 64 * sx, y - 64 * sy);
    glColor4f(1, 1, 1, 1);

    // The pitch tape scrolls with the nose: level flight shows its middle.
    const float c = (gamer.Craft.Angles.x + 90) / 150 + 0.5f;
    Out2D->DrawImage(PitchStrip, 150 * sx, 128 * sy, 224 * sx, -128 * sy, 0, c - 0.1f, 1, c + 0.1f);

    // The lock box of the selected missiles, at the locked unit.
    const TWeapon *lockWeapon = gamer.SelectedWeapon == 0   ? gamer.Weapons[AirMissileSlot].get()
                                : gamer.SelectedWeapon == 1 ? gamer.Weapons[GroundMissileSlot].get()
                                                            : nullptr;
    float bx = 0, by = 0, half = 0;
    bool locked = false;
    if (const auto *missiles = dynamic_cast<const TMissileWeapon *>(lockWeapon);
        missiles && missiles->LockBox(bx, by, half, locked)) {
        const float cx = bx * sx - 1, cy = by * sy - 1;
        glDisable(GL_TEXTURE_2D);
        glColor4f(locked ? 1.0f : 0.0f, locked ? 0.0f : 1.0f, 0, 1);
        glBegin(GL_LINE_LOOP);
        glVertex2f(cx - half * sx, cy - half * sy);
        glVertex2f(cx + half * sx, cy - half * sy);
        glVertex2f(cx + half * sx, cy + half * sy);
        glVertex2f(cx - half * sx, cy + half * sy);
        glEnd();
        glEnable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
    }

    DrawReadouts(gamer);
}

void THUD::DrawReadouts(const TGamer &gamer) const
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    const auto readout = [this](const TWeapon *weapon, float x, float y, float r, float g, float b) {
        if (!weapon)
            return;
        glColor4f(r, g, b, 1);
        Out2D->DrawText(Translate(weapon->Caption, LocaleFlight) + ":" + std::to_string(weapon->Ammo), TextFont, x, y);
    };
    // A selected weapon is green, red while it has just fired; the others are white.
    const auto secondary = [&](int slot, int selection, float x, float y) {
        const TWeapon *weapon = gamer.Weapons[std::size_t(slot)].get();
        if (!weapon)
            return;
        if (gamer.SelectedWeapon != selection)
            readout(weapon, x, y, 1, 1, 1);
        else if (FiredLately(*weapon))
            readout(weapon, x, y, 1, 0, 0);
        else
            readout(weapon, x, y, 0, 1, 0);
    };

    if (const TWeapon *gun = gamer.Weapons[GunSlot].get()) {
        if (FiredLately(*gun))
            readout(gun, -128 * sx, -128 * sy, 1, 0, 0);
        else
            readout(gun, -128 * sx, -128 * sy, 0, 1, 0);
    }
    if (const TWeapon *air = gamer.Weapons[AirMissileSlot].get()) {
        if (gamer.SelectedWeapon == 0)
            readout(air, 98 * sx, -160 * sy, 0, 1, 0);
        else
            readout(air, 98 * sx, -160 * sy, 1, 1, 1);
    }
    secondary(GroundMissileSlot, 1, 98 * sx, -128 * sy);
    secondary(SpecialSlot, 2, 98 * sx, -144 * sy);
    glColor4f(1, 1, 1, 1);
}

void THUD::DrawFades(int)
{
    // A fade-out ends on a black screen that stays until a fade-in starts.
    if (Fade && Fade->Cover() > 0)
        Cover(Fade->Cover());
}

void HudFrame(int dt)
{
    if (Crosshair)
        Crosshair->Update();
    if (HUD)
        HUD->Draw(dt);
}
