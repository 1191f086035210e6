// The entry points of the ARB buffer calls come straight from the GL library, which exports them on
// every driver we support, so no address lookup is needed.
#define GL_GLEXT_PROTOTYPES 1
#include "assets/AssetsGL.h"

#include "assets/AssetDevice.h"
#include "assets/DPSEffect.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Config.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <string>
#include <type_traits>

static_assert(TextureNearest == GL_NEAREST && TextureLinear == GL_LINEAR &&
              TextureLinearMipmapLinear == GL_LINEAR_MIPMAP_LINEAR);
static_assert(PixelsRGB == GL_RGB && PixelsRGBA == GL_RGBA && PixelsBGRA == GL_BGRA_EXT);
static_assert(std::is_same_v<GLuint, std::uint32_t>, "texture names are handed over as they are");

namespace {

// Marks the stencil with the silhouette of the block's clip sphere, so that its particles show only
// inside it (fire inside a burning hull, not through the deck), unless the eye is inside the sphere.
void BeginClip(const TSpriteBlock &block, const TVector4 &eye, GLUquadric *sphere)
{
    if (VectorDistance(eye, block.Position) < block.ClipRadius) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_ALWAYS, 0, ~0u);
        glDisable(GL_DEPTH_TEST);
        return;
    }
    glClear(GL_STENCIL_BUFFER_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    glTranslatef(block.Position.x, block.Position.y, block.Position.z);
    gluSphere(sphere, double(block.ClipRadius * block.Scale), 32, 32);
    glPopMatrix();
    glEnable(GL_TEXTURE_2D);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_NOTEQUAL, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDisable(GL_DEPTH_TEST);
}

void EndClip()
{
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// The camera-facing plane of this frame's particles: a particle's quad is turned by its own angle
// about the view direction, then by the camera's pitch and heading (as if drawn with the rotations
// -heading about z, -pitch about x and its angle about z in turn), so X and Y are the quad's axes
// at angle 0.
constexpr float DegreeToRadian = 3.14159265358979f / 180;

struct TParticleAxes {
    TVector3 X, Y;
};

TParticleAxes CurrentParticleAxes()
{
    const float yaw = -CameraYaw * DegreeToRadian, pitch = -CameraPitch * DegreeToRadian;
    return {VectorSet3(std::cos(yaw), std::sin(yaw), 0),
            VectorSet3(-std::sin(yaw) * std::cos(pitch), std::cos(yaw) * std::cos(pitch), std::sin(pitch))};
}

// The particles of one layer of one block, in their order, batched into runs that share a texture
// and a blend: the corners are worked out here instead of through a matrix per particle, which
// the driver would otherwise flush particle by particle.
void DrawParticles(const TSpriteBlock &block, int layer, const TParticleAxes &axes)
{
    bool open = false;
    int texture = 0;
    bool additive = false;
    for (const TParticle &p : block.Particles) {
        if (p.Record->Layer != layer)
            continue;
        if (!open || p.Texture != texture || p.Record->Additive != additive) {
            if (open)
                glEnd();
            texture = p.Texture;
            additive = p.Record->Additive;
            glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
            if (TextureLib)
                TextureLib->Bind(texture);
            glBegin(GL_QUADS);
            glNormal3f(0, 0, 1);
            open = true;
        }
        const float h = p.Size * block.Scale, a = p.Angle * DegreeToRadian;
        const float c = std::cos(a) * h, s = std::sin(a) * h;
        // The quad's own axes, half its side long.
        const TVector3 u = VectorSet3(c * axes.X.x + s * axes.Y.x, c * axes.X.y + s * axes.Y.y, c * axes.X.z + s * axes.Y.z);
        const TVector3 v = VectorSet3(-s * axes.X.x + c * axes.Y.x, -s * axes.X.y + c * axes.Y.y, -s * axes.X.z + c * axes.Y.z);
        const TVector4 &o = p.Position;
        glColor4fv(p.Color);
        glTexCoord2f(0, 1);
        glVertex3f(o.x - u.x - v.x, o.y - u.y - v.y, o.z - u.z - v.z);
        glTexCoord2f(0, 0);
        glVertex3f(o.x + u.x - v.x, o.y + u.y - v.y, o.z + u.z - v.z);
        glTexCoord2f(1, 0);
        glVertex3f(o.x + u.x + v.x, o.y + u.y + v.y, o.z + u.z + v.z);
        glTexCoord2f(1, 1);
        glVertex3f(o.x - u.x + v.x, o.y - u.y + v.y, o.z - u.z + v.z);
    }
    if (open)
        glEnd();
}

class TGLAssetDevice final : public TAssetDevice {
public:
    std::uint32_t CreateTexture(const void *pixels, int width, int height, int format, int minFilter,
                                int magFilter) override
    {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        // Rows arrive tightly packed: an RGB row of odd width is not a multiple of four bytes.
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        const GLint internal = format == GL_RGB ? 3 : GL_RGBA;
        gluBuild2DMipmaps(GL_TEXTURE_2D, internal, width, height, GLenum(format), GL_UNSIGNED_BYTE, pixels);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        return texture;
    }

    void BindTexture(std::uint32_t texture) override { glBindTexture(GL_TEXTURE_2D, texture); }

    void DeleteTextures(const std::vector<std::uint32_t> &textures) override
    {
        glDeleteTextures(GLsizei(textures.size()), textures.data());
    }

    bool OffersVertexBuffers() override
    {
        const auto *text = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
        return UpperCase(text ? text : "").find("GL_ARB_VERTEX_BUFFER_OBJECT") != std::string::npos;
    }

    unsigned CreateVertexBuffer(const void *data, std::size_t size) override
    {
        GLuint buffer = 0;
        glGenBuffersARB(1, &buffer);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
        glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(size), data, GL_STATIC_DRAW_ARB);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        return buffer;
    }

    unsigned CreateIndexBuffer(const void *data, std::size_t size) override
    {
        GLuint buffer = 0;
        glGenBuffersARB(1, &buffer);
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, buffer);
        glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GLsizeiptrARB(size), data, GL_STATIC_DRAW_ARB);
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        return buffer;
    }

    void BindVertexBuffer(unsigned buffer) override { glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer); }

    void DeleteVertexBuffer(unsigned buffer) override
    {
        const GLuint name = buffer;
        glDeleteBuffersARB(1, &name);
    }

    // Buffers are used only while the flag is up and the mesh has one: a model loaded before the
    // flag was set has none and is drawn immediately.
    void DrawMesh(const TMesh &mesh, const TMatrix4 &transform) override
    {
        glPushMatrix();
        glMultMatrixf(transform.m);
        if (VBOAvailable && mesh.Buffer && mesh.IndexBuffer) {
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.Buffer);
            glVertexPointer(3, GL_FLOAT, OTMVertexStride, reinterpret_cast<const void *>(0));
            glNormalPointer(GL_FLOAT, OTMVertexStride, reinterpret_cast<const void *>(16));
            glTexCoordPointer(2, GL_FLOAT, OTMVertexStride, reinterpret_cast<const void *>(32));
            glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, mesh.IndexBuffer);
            glDrawElements(GL_TRIANGLES, mesh.IndexCount, GL_UNSIGNED_INT, nullptr);
            glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
            // Later client arrays point into plain memory again.
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        } else {
            glBegin(GL_TRIANGLES);
            for (std::size_t f = 0; f < mesh.Faces.size(); ++f)
                for (std::size_t corner = 0; corner < 3; ++corner) {
                    const auto &uv = mesh.TexCoords[std::size_t(mesh.TexFaces[f][corner])];
                    const TVector4 &n = mesh.Normals[std::size_t(mesh.Faces[f][corner])];
                    const TVector4 &v = mesh.Vertices[std::size_t(mesh.Faces[f][corner])];
                    glTexCoord2f(uv[0], uv[1]);
                    glNormal3f(n.x, n.y, n.z);
                    glVertex3f(v.x, v.y, v.z);
                }
            glEnd();
        }
        glPopMatrix();
    }

    void PushTransform(const TMatrix4 &m) override
    {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glMultMatrixf(m.m);
    }

    void PopTransform() override
    {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }

    void SetColor(float r, float g, float b, float a) override { glColor4f(r, g, b, a); }
    void SetDepthWrites(bool on) override { glDepthMask(on ? GL_TRUE : GL_FALSE); }
    void SetAdditive(bool on) override { glBlendFunc(GL_SRC_ALPHA, on ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA); }

    void SetLighting(bool on) override
    {
        if (on)
            glEnable(GL_LIGHTING);
        else
            glDisable(GL_LIGHTING);
    }

    void DrawNormals(const TOTMModel &model) override
    {
        for (const TMesh &mesh : model.Meshes)
            for (std::size_t i = 0; i < mesh.Vertices.size(); ++i) {
                const TVector4 &v = mesh.Vertices[i], &n = mesh.Normals[i];
                glPushMatrix();
                glBegin(GL_LINES);
                glVertex3f(v.x, v.y, v.z);
                glVertex3f(v.x + n.x, v.y + n.y, v.z + n.z);
                glEnd();
                glPopMatrix();
            }
    }

    void DrawBounds(const TModel &model) override
    {
        static constexpr int Outlines[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                               {2, 1, 5, 6}, {3, 0, 4, 7}, {3, 2, 6, 7}};
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
        for (const auto &outline : Outlines) {
            glBegin(GL_LINES);
            for (int i = 0; i < 4; ++i) {
                const TVector4 &a = model.Bounds[std::size_t(outline[i])];
                const TVector4 &b = model.Bounds[std::size_t(outline[(i + 1) % 4])];
                glVertex3f(a.x, a.y + 0.4f, a.z);
                glVertex3f(b.x, b.y + 0.4f, b.z);
            }
            glEnd();
        }
        glColor3f(1, 1, 1);
        glEnable(GL_TEXTURE_2D);
    }

    void DrawSprites(const std::vector<TSpriteBlock *> &blocks, int layer) override
    {
        glDisable(GL_LIGHTING);
        glDepthMask(GL_FALSE);
        glEnable(GL_TEXTURE_2D);
        const bool clipOption = Config && Config->Effects3D;
        const TParticleAxes axes = CurrentParticleAxes();
        for (const TSpriteBlock *block : blocks) {
            if (block->Particles.empty())
                continue;
            const bool clipped = block->Clipped && clipOption;
            if (clipped) {
                if (!Sphere)
                    Sphere = gluNewQuadric();
                BeginClip(*block, EyePosition, Sphere);
            }
            DrawParticles(*block, layer, axes);
            if (clipped)
                EndClip();
        }
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
        glDepthMask(GL_TRUE);
    }

private:
    GLUquadric *Sphere = nullptr;   // the clip sphere's quadric, made at the first clipped block
};

} // namespace

void InstallGLAssets()
{
    static TGLAssetDevice device;
    SetAssetDevice(&device);
}
