#define GL_GLEXT_PROTOTYPES 1
#include "tools/otmtool/Render.h"

#include "assets/AssetsGL.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/Png.h"
#include "core/View.h"

#include <IL/il.h>
#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int Supersampling = 2;   // rendered larger and averaged down, for smooth edges
constexpr double FieldOfView = 30; // degrees, vertical

// The hidden window and its context, with an off-screen target of the picture's size.
class TOffscreen {
public:
    TOffscreen(int width, int height) : Width(width), Height(height)
    {
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            throw std::runtime_error(std::string("Rendering needs a display: ") + SDL_GetError());
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        Window = SDL_CreateWindow("otmtool", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!Window)
            throw std::runtime_error(std::string("Cannot open a window: ") + SDL_GetError());
        Context = SDL_GL_CreateContext(Window);
        if (!Context)
            throw std::runtime_error(std::string("Cannot create an OpenGL context: ") + SDL_GetError());
        const auto *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
        if (!extensions || !std::strstr(extensions, "GL_EXT_framebuffer_object"))
            throw std::runtime_error("The OpenGL driver offers no frame buffer objects");
        glGenFramebuffersEXT(1, &Frame);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, Frame);
        glGenRenderbuffersEXT(2, Buffers);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, Buffers[0]);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, Buffers[0]);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, Buffers[1]);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, Buffers[1]);
        if (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT)
            throw std::runtime_error("Cannot render a picture of " + std::to_string(width) + " x " +
                                     std::to_string(height) + " pixels");
        glViewport(0, 0, width, height);
    }
    ~TOffscreen()
    {
        if (Frame) {
            glDeleteRenderbuffersEXT(2, Buffers);
            glDeleteFramebuffersEXT(1, &Frame);
        }
        if (Context)
            SDL_GL_DeleteContext(Context);
        if (Window)
            SDL_DestroyWindow(Window);
        SDL_Quit();
    }
    TOffscreen(const TOffscreen &) = delete;
    TOffscreen &operator=(const TOffscreen &) = delete;

    // The picture, top row first.
    std::vector<std::uint8_t> Pixels() const
    {
        std::vector<std::uint8_t> rows(std::size_t(Width) * Height * 4), flipped(rows.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        const std::size_t stride = std::size_t(Width) * 4;
        for (int y = 0; y < Height; ++y)
            std::copy_n(rows.begin() + std::ptrdiff_t(stride * std::size_t(Height - 1 - y)), stride,
                        flipped.begin() + std::ptrdiff_t(stride * std::size_t(y)));
        return flipped;
    }

    int Width, Height;

private:
    SDL_Window   *Window = nullptr;
    SDL_GLContext Context = nullptr;
    GLuint        Frame = 0, Buffers[2] = {};
};

// Averages Factor x Factor blocks; the picture comes out opaque.
std::vector<std::uint8_t> Downsample(const std::vector<std::uint8_t> &big, int width, int height, int factor)
{
    const int w = width / factor, h = height / factor;
    std::vector<std::uint8_t> small(std::size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += big[(std::size_t(y * factor + dy) * width + std::size_t(x * factor + dx)) * 4 + std::size_t(c)];
                small[(std::size_t(y) * w + std::size_t(x)) * 4 + std::size_t(c)] = std::uint8_t(sum / (factor * factor));
                small[(std::size_t(y) * w + std::size_t(x)) * 4 + 3] = 255;
            }
    return small;
}

// The visible vertices in the pose that will be drawn.
std::vector<TVector3> PosedVertices(const TOTMModel &model, const TKeySample &sample)
{
    std::vector<TVector3> points;
    for (const TMesh &mesh : model.Meshes) {
        if (!mesh.Visible)
            continue;
        const TMatrix4 transform = KeyTransform(mesh.Keys, sample);
        for (const TVector4 &v : mesh.Vertices)
            points.push_back(MatrixTransformPoint(v, transform));
    }
    return points;
}

void SetUpScene(const std::vector<TVector3> &points, int width, int height)
{
    glClearColor(RenderBackground[0] / 255.0f, RenderBackground[1] / 255.0f, RenderBackground[2] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Look at the middle of the posed model and back off along the view until every vertex is in
    // the picture; then move the look-at point so that the picture's margins come out even.
    TVector3 low = points.empty() ? TVector3() : points[0], high = low;
    for (const TVector3 &p : points) {
        low = VectorSet3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = VectorSet3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    TVector3 centre = VectorScale(VectorSet3(low.x + high.x, low.y + high.y, low.z + high.z), 0.5f);
    const TVector3 view = VectorNormalize(VectorSet3(0.62f, 0.68f, 0.40f));   // front right, above
    const TVector3 right = VectorNormalize(VectorCross(VectorScale(view, -1), VectorSet3(0, 0, 1)));
    const TVector3 up = VectorCross(right, VectorScale(view, -1));
    // The model fills 90% of the picture each way at most: a margin round it.
    const double tanY = 0.9 * std::tan(FieldOfView / 2 * M_PI / 180), tanX = tanY * width / height;
    double distance = 1 / tanY, depth = 1;
    auto fit = [&] {
        distance = 0;
        depth = 0;
        for (const TVector3 &p : points) {
            const TVector3 r = VectorSubtract(p, centre);
            const double towards = VectorDot(r, view);   // how much nearer the eye than the centre
            distance = std::max({distance, towards + std::fabs(VectorDot(r, right)) / tanX,
                                 towards + std::fabs(VectorDot(r, up)) / tanY});
            depth = std::max(depth, double(VectorLength(r)));
        }
    };
    for (int pass = 0; pass < 3 && !points.empty(); ++pass) {
        fit();
        if (depth <= 0)
            break;
        double left = 1e30, rightmost = -1e30, bottom = 1e30, top = -1e30;   // tangents of the view angle
        for (const TVector3 &p : points) {
            const TVector3 r = VectorSubtract(p, centre);
            const double ahead = distance - VectorDot(r, view);
            left = std::min(left, VectorDot(r, right) / ahead);
            rightmost = std::max(rightmost, VectorDot(r, right) / ahead);
            bottom = std::min(bottom, VectorDot(r, up) / ahead);
            top = std::max(top, VectorDot(r, up) / ahead);
        }
        const double sideways = distance * (left + rightmost) / 2, upwards = distance * (bottom + top) / 2;
        centre = VectorSet3(centre.x + float(sideways * right.x + upwards * up.x),
                            centre.y + float(sideways * right.y + upwards * up.y),
                            centre.z + float(sideways * right.z + upwards * up.z));
    }
    if (!points.empty())
        fit();
    if (depth <= 0) {   // nothing to frame: a point, or no vertex at all
        depth = 1;
        distance = 1 / tanY;
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, double(width) / height, std::max(distance - depth * 1.1, distance * 0.01),
                   distance + depth * 1.1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(centre.x + view.x * distance, centre.y + view.y * distance, centre.z + view.z * distance, centre.x,
              centre.y, centre.z, 0, 0, 1);

    // Sunlight from above the right shoulder of the viewer, with a soft fill.
    const GLfloat sun[4] = {0.45f, 0.35f, 1.0f, 0}, diffuse[4] = {0.85f, 0.85f, 0.8f, 1},
                  ambient[4] = {0.35f, 0.35f, 0.4f, 1};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, sun);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glColor4f(1, 1, 1, 1);
    // Blended key rotations are not unit quaternions, so the normals they turn need rescaling.
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

} // namespace

void RenderModel(const std::string &file, const std::string &out, const TRenderOptions &options)
{
    if (options.Width < 1 || options.Height < 1 || options.Width > 4096 || options.Height > 4096)
        throw std::runtime_error("The picture size must be 1 to 4096 pixels each way");
    TOffscreen target(options.Width * Supersampling, options.Height * Supersampling);
    InstallGLAssets();
    ilInit();
    const auto textures = std::make_unique<TTextureLib>();
    TextureLib = textures.get();
    if (!options.Immediate)
        DetectVertexBuffers();

    TOTMModel model;
    try {
        model.LoadFromFile(file);
        const TKeySample pose = options.Clock >= 0 ? ClockSample(options.Clock, model.FramesPerSecond, model.FrameCount)
                                                   : NormalizedSample(options.Time, model.FrameCount);
        SetUpScene(PosedVertices(model, pose), target.Width, target.Height);
        if (options.Clock >= 0) {
            GameClock = options.Clock;
            model.Draw(true);
        } else {
            model.DrawAt(options.Time);
        }
        glFinish();
    } catch (...) {
        TextureLib = nullptr;
        throw;
    }
    TextureLib = nullptr;
    const std::vector<std::uint8_t> picture =
        Downsample(target.Pixels(), target.Width, target.Height, Supersampling);
    if (!WritePng(out, options.Width, options.Height, picture))
        throw std::runtime_error("Cannot write the picture \"" + out + "\"");
}
