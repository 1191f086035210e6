#include "hud/Radar.h"

#include "core/Platform.h"
#include "core/View.h"
#include "hud/Out2D.h"
#include "sim/GameObjects.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr int   RingSegments = 64;
constexpr int   DotSegments = 16;

enum class TBlipShape { Round, Diamond, Square };

// One blip, centred on the pixel (X, Y) counted from the lower left corner of the window. Size is
// the blip's width in pixels: the round dot is that wide, the square that wide and high, and the
// diamond covers as many pixels as the square.
void DrawBlip(float x, float y, float size, TBlipShape shape)
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    const auto vertex = [&](float px, float py) { glVertex2f((x + px) * sx - 1, (y + py) * sy - 1); };
    const float half = size / 2;
    if (size <= 1 || shape == TBlipShape::Square) {
        glBegin(GL_QUADS);
        vertex(-half, -half);
        vertex(half, -half);
        vertex(half, half);
        vertex(-half, half);
        glEnd();
    } else if (shape == TBlipShape::Diamond) {
        const float tip = half * std::numbers::sqrt2_v<float>;   // the square turned by 45 degrees
        glBegin(GL_QUADS);
        vertex(0, -tip);
        vertex(tip, 0);
        vertex(0, tip);
        vertex(-tip, 0);
        glEnd();
    } else {
        glBegin(GL_POLYGON);
        for (int i = 0; i < DotSegments; ++i) {
            const float t = 2 * Pi * float(i) / DotSegments;
            vertex(half * std::cos(t), half * std::sin(t));
        }
        glEnd();
    }
}

} // namespace

TBlipOffset RadarBlipOffset(const TGameObject &player, const TGameObject &object, float range, float radiusPixels)
{
    const float dx = object.Position.x - player.Position.x, dy = object.Position.y - player.Position.y;
    const float distance = std::min(std::hypot(dx, dy), range);
    const float r = range > 0 ? distance / range * radiusPixels : 0;
    // The clockwise angle from +x to the unit, turned by the player's heading (clockwise from +y),
    // so that the nose points up the scope.
    const float theta = -std::atan2(dy, dx) - player.Rotation.y * Pi / 180;
    return {r * std::cos(theta), -r * std::sin(theta)};
}

bool ShowsOnRadar(const TGameObject &object)
{
    using enum TObjectCategory;
    return object.OnRadar != 0 && object.Category != Bomb && (object.Health > 0 || object.Category == CheckPoint);
}

TRadar::TRadar()
{
    if (Out2D) {
        TitleFont = Out2D->CreateFont("Arial Black", 11, false);
        ScaleFont = Out2D->CreateFont("Courier", 9, false);
    }
}

void TRadar::Draw(float range, float radius, float centreY, float centreX) const
{
    const float sx = PixelSizeX, sy = PixelSizeY;
    // The ring keeps as many pixels across as up: on a 4:3 window that is 0.75 of the radius in
    // screen units, on a wider one less.
    const float across = radius * sx / sy;
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < RingSegments; ++i) {
        const float t = 2 * Pi * float(i) / RingSegments;
        glVertex2f(centreX + across * std::cos(t), centreY + radius * std::sin(t));
    }
    glEnd();

    if (Objects && Player && range > 0) {
        const float radiusPixels = radius / sy;
        // Every blip sits on a whole pixel a whole number of pixels from the scope's centre pixel, so
        // that every blip of a shape looks the same and one straight ahead is not split between two
        // columns by rounding.
        const float baseX = std::floor((centreX + 1) / sx + 0.001f), baseY = std::floor((centreY + 1) / sy + 0.001f);
        const bool blinkOn = ((GameClock % 1000) + 1000) % 1000 > 500;
        for (const TGameObject *object : Objects->Objects) {
            if (!object || !ShowsOnRadar(*object))
                continue;
            TBlipShape shape = TBlipShape::Square;
            if (object->Side == 1) {
                glColor4f(1, 0, 0, 1);
                shape = TBlipShape::Diamond;
            } else if (object->Side == 0) {
                glColor4f(0, 1, 0, 1);
                shape = TBlipShape::Round;
            } else {
                glColor4f(1, 1, 1, 1);
            }
            if (object->BlinkOnRadar && blinkOn)
                glColor4f(1, 0.5f, 0, 1);
            using enum TObjectCategory;
            const float size = object->Category == Missile || object->Category == Bomb ? 1.0f : 5.0f;
            const TBlipOffset offset = RadarBlipOffset(*Player, *object, range, radiusPixels);
            DrawBlip(baseX + std::round(offset.x) + 0.5f, baseY + std::round(offset.y) + 0.5f, size, shape);
        }
    }
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}
