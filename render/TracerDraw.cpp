#include "render/TracerDraw.h"

#include "assets/TextureLib.h"
#include "core/View.h"

#include <GL/gl.h>

#include <cmath>

namespace {

TVector3 Add(const TVector3 &a, const TVector3 &b) { return VectorSet3(a.x + b.x, a.y + b.y, a.z + b.z); }

// A unit vector square to Dir, for when the line of sight gives none: square to the world axis that
// Dir is least aligned with (any axis for a tracer of no length).
TVector3 FallbackSide(const TVector3 &dir)
{
    const float ax = std::fabs(dir.x), ay = std::fabs(dir.y), az = std::fabs(dir.z);
    if (ax + ay + az <= 0)
        return VectorSet3(1, 0, 0);
    TVector3 axis = VectorSet3(0, 0, 1);
    if (ax <= ay && ax <= az)
        axis = VectorSet3(1, 0, 0);
    else if (ay <= az)
        axis = VectorSet3(0, 1, 0);
    return VectorNormalize(VectorCross(dir, axis));
}

} // namespace

void TracerCorners(const TTrasser &tracer, const TVector3 &eye, TVector3 out[4])
{
    const TVector3 start = tracer.Start, finish = tracer.Finish;
    const TVector3 dir = VectorSubtract(finish, start);
    // Any point of the line gives the same cross product; the start will do.
    const TVector3 sight = VectorSubtract(start, eye);
    const TVector3 cross = VectorCross(dir, sight);
    const float length = VectorLength(cross);
    // Relative to the two lengths, so a long tracer seen from far away still counts as seen side-on.
    const bool degenerate = !(length > 1e-6f * VectorLength(dir) * VectorLength(sight));
    const TVector3 unit = degenerate ? FallbackSide(dir) : VectorScale(cross, 1.0f / length);
    const TVector3 side = VectorScale(unit, tracer.Width);
    out[0] = Add(start, side);
    out[1] = VectorSubtract(start, side);
    out[2] = VectorSubtract(finish, side);
    out[3] = Add(finish, side);
}

void TracerTexCoords(const TTrasser &tracer, float out[4][2])
{
    const float t = tracer.TexOffset;
    const float coords[4][2] = {{0, t}, {1, t}, {1, t + 1}, {0, t + 1}};
    for (int i = 0; i < 4; ++i) {
        out[i][0] = coords[i][0];
        out[i][1] = coords[i][1];
    }
}

void DrawTracer(const TTrasser &tracer, const TVector3 &eye)
{
    const float *c = tracer.Color;
    if (tracer.Texture < 0) {
        glDisable(GL_TEXTURE_2D);
        glColor4f(c[0], c[1], c[2], c[3] * tracer.AlphaScale);
        glLineWidth(tracer.Width);
        glBegin(GL_LINES);
        glVertex3f(tracer.Start.x, tracer.Start.y, tracer.Start.z);
        glVertex3f(tracer.Finish.x, tracer.Finish.y, tracer.Finish.z);
        glEnd();
        glLineWidth(1);
        glColor4f(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        return;
    }

    TVector3 corners[4];
    float    coords[4][2];
    TracerCorners(tracer, eye, corners);
    TracerTexCoords(tracer, coords);
    glEnable(GL_TEXTURE_2D);
    if (TextureLib)
        TextureLib->Bind(tracer.Texture);
    glColor4f(c[0], c[1], c[2], c[3] * tracer.AlphaScale);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(coords[i][0], coords[i][1]);
        glVertex3f(corners[i].x, corners[i].y, corners[i].z);
    }
    glEnd();
    glColor4f(1, 1, 1, 1);
}

void DrawBillboards(const TBillboards &billboards)
{
    if (billboards.Items.empty())
        return;
    // Blending, depth writes and lighting come back exactly as the scene had them.
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_ENABLE_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    // The ribbons carry no normals: lit, they would come out dark.
    glDisable(GL_LIGHTING);
    const TVector3 eye = EyePosition;
    for (const TTrasser &tracer : billboards.Items)
        DrawTracer(tracer, eye);
    glPopAttrib();
}

void InstallTracerDrawer() { BillboardsDrawer = DrawBillboards; }
