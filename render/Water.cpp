#include "render/Water.h"

#include "assets/TextureLib.h"
#include "core/View.h"
#include "render/GLExt.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

TNoise *Noise = nullptr;

namespace {

// The sea reaches well past the far plane in every direction; its texture repeats 250 times across.
constexpr float SeaExtent = 75000;
constexpr float SeaRepeat = 250;

// One pass of the sea at height Z.
void SeaQuad(float z)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-SeaExtent, -SeaExtent, z);
    glTexCoord2f(SeaRepeat, 0);
    glVertex3f(SeaExtent, -SeaExtent, z);
    glTexCoord2f(SeaRepeat, SeaRepeat);
    glVertex3f(SeaExtent, SeaExtent, z);
    glTexCoord2f(0, SeaRepeat);
    glVertex3f(-SeaExtent, SeaExtent, z);
    glEnd();
}

int LoadTexture(const std::string &name)
{
    return TextureLib ? TextureLib->Load(name, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR) : -1;
}

void BindLibraryTexture(int handle)
{
    if (TextureLib && handle >= 0)
        TextureLib->Bind(handle);
    else
        glBindTexture(GL_TEXTURE_2D, 0);
}

// Multitexturing is fetched with the other extension entry points; before that only unit 0 exists.
bool HasMultitexture() { return GLExt::glActiveTextureARB != nullptr; }

} // namespace

// ---- The sea --------------------------------------------------------------------------------------

TWater::TWater(const std::string &shaderFolder, const std::string &textureFolder)
{
    SurfaceTexture = LoadTexture(textureFolder + "Water.png");
    Noise1 = LoadTexture(textureFolder + "WaterNoise1.png");
    Noise2 = LoadTexture(textureFolder + "WaterNoise2.png");
    Noise3 = LoadTexture(textureFolder + "WaterNoise3.png");
    Shader.Create(shaderFolder + "Water.fs", shaderFolder + "Water.vs");
}

void TWater::BindTexture(int handle) const { BindLibraryTexture(handle); }

TWater::TRipple TWater::RippleAt(std::int64_t clock)
{
    // A clock before zero would give negative remainders; fold it into the cycle like any other.
    const std::int64_t cycle = ((clock % 12000) + 12000) % 12000;
    const int phase = int(cycle / 4000);
    static constexpr int pairs[3][2] = {{1, 2}, {2, 3}, {3, 1}};
    return {pairs[phase][0], pairs[phase][1], float(cycle % 4000) / 4000.0f};
}

void TWater::Draw()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    // The reflection under the surface must stay visible through it, and what is drawn later over
    // the sea is not to be cut off by it.
    glDepthMask(GL_FALSE);
    glColor4f(1, 1, 1, 1);
    BindTexture(SurfaceTexture);
    SeaQuad(-0.5f);
    glDepthMask(GL_TRUE);
}

void TWater::DrawDistortion()
{
    const TRipple ripple = RippleAt(GameClock);
    const int noise[4] = {-1, Noise1, Noise2, Noise3};
    const bool multitexture = HasMultitexture();

    // Unit 0 holds the texture the blend moves towards, unit 1 the one it starts from.
    if (multitexture) {
        GLExt::glActiveTextureARB(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        BindTexture(noise[ripple.First]);
        GLExt::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glEnable(GL_TEXTURE_2D);
    BindTexture(noise[ripple.Second]);

    const bool shaded = Shader.Use();
    glDepthMask(GL_FALSE);
    glColor4f(1, 1, 1, 1);
    SeaQuad(0.5f);
    glDepthMask(GL_TRUE);
    // The ripple program must not stay current for the passes that follow: they may not switch
    // programs themselves.
    if (shaded)
        Shader.Stop();

    if (multitexture) {
        GLExt::glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        GLExt::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
}

void TWater::DrawDepth()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    SeaQuad(-0.5f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
}

// ---- Splash decals --------------------------------------------------------------------------------

void TWaterNoiseBlock::Update(int dt)
{
    for (std::size_t i = 0; i < Items.size();) {
        TWaterNoise &d = Items[i];
        d.Remaining -= dt;
        // A decal born without a life is simply gone.
        d.Fade = d.Life > 0 ? float(d.Remaining) / float(d.Life) : 0.0f;
        if (d.Remaining < 1) {
            d = Items.back();
            Items.pop_back();
        } else {
            ++i;
        }
    }
}

void TNoise::Add(const TVector3 &position, int life, TWaterNoiseBlock *&block, const float color[4], float size)
{
    const auto ours = std::find_if(Blocks.begin(), Blocks.end(), [&](const auto &b) { return b.get() == block; });
    if (block == nullptr || ours == Blocks.end()) {
        Blocks.push_back(std::make_unique<TWaterNoiseBlock>());
        block = Blocks.back().get();
    }
    TWaterNoise d;
    d.Position.x = position.x;
    d.Position.y = position.y;
    d.Position.z = 0;
    std::copy_n(color, 4, d.Color);
    d.Remaining = life;
    d.Life = life;
    d.Fade = 1;
    d.Size = size;
    block->Items.push_back(d);
}

void TNoise::Update(int dt)
{
    for (auto &b : Blocks)
        b->Update(dt);
}

float TNoise::HalfSize(const TWaterNoise &decal) { return (1 - decal.Fade) * decal.Size; }

void TNoise::Draw()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    BindLibraryTexture(Texture);
    glBegin(GL_QUADS);
    for (const auto &b : Blocks)
        for (const TWaterNoise &d : b->Items) {
            const float h = HalfSize(d), x = d.Position.x, y = d.Position.y;
            glColor4f(d.Color[0], d.Color[1], d.Color[2], d.Color[3] * d.Fade);
            glTexCoord2f(0, 0);
            glVertex3f(x - h, y - h, 0);
            glTexCoord2f(1, 0);
            glVertex3f(x + h, y - h, 0);
            glTexCoord2f(1, 1);
            glVertex3f(x + h, y + h, 0);
            glTexCoord2f(0, 1);
            glVertex3f(x - h, y + h, 0);
        }
    glEnd();
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void TNoise::Clear() { Blocks.clear(); }

// ---- The simulation's disturbances ----------------------------------------------------------------

void TWaterDisturbance::Disturb(const TVector3 &at, float strength, float size)
{
    if (!Noise)
        return;
    Noise->Add(at, int(std::lround(strength)), Block, FoamColor, size);
}
