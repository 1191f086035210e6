// dpstool: compiles, prints and renders particle effects (".dps" version 5).
//
//   dpstool compile IN.txt OUT.dps      a readable description in, the game's file out
//   dpstool dump FILE.dps               prints the description back
//   dpstool render FILE.dps OUT.png [--time MS] [--speed UNITS_PER_S] [--kind basic|point]
//                                       shows the effect at that age (needs a display)

#include "assets/AssetsGL.h"
#include "assets/DPSEffect.h"
#include "assets/TextureLib.h"
#include "core/Files.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Png.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "tools/dpstool/EffectText.h"

#include <IL/il.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char *Usage = "usage: dpstool compile IN.txt OUT.dps\n"
                    "       dpstool dump FILE.dps\n"
                    "       dpstool render FILE.dps OUT.png [--time MS] [--speed UNITS_PER_S] [--kind basic|point]\n";

std::vector<std::uint8_t> ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open \"" + path + "\"");
    return {std::istreambuf_iterator<char>(in), {}};
}

int Compile(const std::string &in, const std::string &out)
{
    const std::vector<std::uint8_t> text = ReadFile(in);
    const TDpsFile effect = ParseEffectText(std::string(text.begin(), text.end()), in);
    const std::vector<std::uint8_t> bytes = WriteDps(effect);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!file.flush())
        throw std::runtime_error("Cannot write \"" + out + "\"");
    return 0;
}

int Dump(const std::string &path)
{
    const TDpsFile effect = ParseDps(ReadFile(path), path);
    std::fputs(PrintEffectText(effect).c_str(), stdout);
    return 0;
}

struct TRenderOptions {
    int   Time = 1000;
    float Speed = 0;
    bool  Point = false;
};

// Lets the effect run from its start to the requested age in 25 ms frames, as the game would.
void Simulate(TEmitter &emitter, const TRenderOptions &options)
{
    for (int t = 0; t < options.Time; t += 25) {
        const int dt = std::min(25, options.Time - t);
        const float x = options.Speed * float(t + dt) / 1000.0f;
        emitter.Update(dt, VectorSet4(x, 0, 0, 1), false);
        Sprites->UpdateAll(dt);
    }
}

// The distance at which the particles' spread fits the picture.
float FitDistance(const TSpriteBlock &block)
{
    float extent = 1;
    for (const TParticle &p : block.Particles)
        extent = std::max(extent, VectorDistance(p.Position, block.Position) + p.Size * block.Scale);
    return extent * 2.2f;
}

void DrawBackground()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glColor3f(0.78f, 0.86f, 0.94f);
    glVertex2f(-1, 1);
    glVertex2f(1, 1);
    glColor3f(0.30f, 0.42f, 0.58f);
    glVertex2f(1, -1);
    glVertex2f(-1, -1);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

int Render(const std::string &path, const std::string &out, const TRenderOptions &options)
{
    BatchMode = true;
    constexpr int size = 512;
    if (!CreateGLWindow(size, size, false, "dpstool", 32))
        throw std::runtime_error("Cannot open a window to render in (is there a display?)");
    InstallGLAssets();
    ilInit();
    Extractor = new TExtractor();
    TextureLib = new TTextureLib();
    Sprites = new TSprites();
    Config = new TConfig();

    const TDpsFile effect = ParseDps(ReadFile(path), path);
    const std::string folder = path.find('/') == std::string::npos ? std::string() : path.substr(0, path.rfind('/') + 1);
    std::vector<int> textures;
    for (const TDpsRecord &record : effect.Records)
        textures.push_back(TextureLib->Load(folder + record.Texture, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR));
    const TBakedEffect baked = BakeEffect(effect, textures);
    std::unique_ptr<TEmitter> emitter = options.Point ? std::unique_ptr<TEmitter>(std::make_unique<TPointEmitter>(baked, 1.0f))
                                                      : std::make_unique<TEmitter>(baked, 1.0f);
    Simulate(*emitter, options);

    // A three-quarter view from slightly above; the quads face the camera.
    const float yaw = 200, pitch = 75, distance = FitDistance(*emitter->Block);
    const TVector4 target = emitter->Block->Position;
    const float sy = std::sin(yaw * float(M_PI) / 180), cy = std::cos(yaw * float(M_PI) / 180);
    const float sp = std::sin(pitch * float(M_PI) / 180), cp = std::cos(pitch * float(M_PI) / 180);
    CameraYaw = yaw;
    CameraPitch = pitch;
    EyePosition = VectorSet4(target.x + distance * sp * sy, target.y + distance * sp * cy, target.z + distance * cp, 1);

    glViewport(0, 0, size, size);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    DrawBackground();
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1, double(distance) / 100, double(distance) * 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(EyePosition.x, EyePosition.y, EyePosition.z, target.x, target.y, target.z, 0, 0, 1);
    Sprites->DrawAll(0);
    Sprites->DrawAll(1);

    std::vector<std::uint8_t> rows(std::size_t(size) * size * 4), image(rows.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < size; ++y)
        std::copy_n(rows.data() + std::size_t(size - 1 - y) * size * 4, size * 4, image.data() + std::size_t(y) * size * 4);
    for (std::size_t i = 3; i < image.size(); i += 4)
        image[i] = 255;
    const std::size_t particles = emitter->Block->Particles.size();
    emitter.reset();
    KillGLWindow();
    if (!WritePng(out, size, size, image))
        throw std::runtime_error("Cannot write \"" + out + "\"");
    std::printf("%s at %d ms: %zu particles\n", path.c_str(), options.Time, particles);
    return 0;
}

TRenderOptions ReadRenderOptions(const std::vector<std::string> &args, std::size_t from)
{
    TRenderOptions options;
    for (std::size_t i = from; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            throw std::runtime_error(args[i] + " needs a value");
        const std::string &value = args[i + 1];
        if (args[i] == "--time")
            options.Time = std::stoi(value);
        else if (args[i] == "--speed")
            options.Speed = std::stof(value);
        else if (args[i] == "--kind" && (value == "basic" || value == "point"))
            options.Point = value == "point";
        else
            throw std::runtime_error("unknown option " + args[i] + " " + value);
    }
    if (options.Time < 0 || options.Time > 600000)
        throw std::runtime_error("--time must be between 0 and 600000 ms");
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (args.size() == 3 && args[0] == "compile")
            return Compile(args[1], args[2]);
        if (args.size() == 2 && args[0] == "dump")
            return Dump(args[1]);
        if (args.size() >= 3 && args[0] == "render")
            return Render(args[1], args[2], ReadRenderOptions(args, 3));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "dpstool: %s\n", e.what());
        return 1;
    }
    std::fputs(Usage, stderr);
    return 2;
}
