#pragma once
// The optional parts of the driver the renderer uses: vertex buffers, frame buffers (the haze and
// bloom targets) and GLSL shader objects. The loader runs once when the GL context exists: it logs
// the driver, fetches the entry points by name and decides the three capability flags from the
// extension string. Until it runs every flag is false and every entry point null.
//
// The entry points live in the namespace GLExt under their GL names (GLExt::glUseProgramObjectARB),
// so they never clash with the functions the GL library itself exports.

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>
#include <string_view>

// VBOAvailable itself is the model library's (assets/VertexBuffers.h); the loader sets it.
extern bool FBOAvailable;
extern bool ShadersAvailable;

// The driver's vendor string, trimmed and upper-cased; empty before the loader runs.
extern std::string GLVendor;

struct TGLCapabilities {
    bool VertexBuffers = false;   // "GL_ARB_VERTEX_BUFFER_OBJECT"
    bool FrameBuffers = false;    // "GL_EXT_FRAMEBUFFER_OBJECT"
    bool Shaders = false;         // "GL_ARB_SHADING_LANGUAGE_100", "GL_ARB_VERTEX_PROGRAM" and "GL_ARB_FRAGMENT_PROGRAM"
};

// What an upper-cased extension string offers.
TGLCapabilities CapabilitiesFromExtensions(std::string_view upperExtensions);

// Logs "Gl Vendor:", "Gl Renderer:", "Gl Version:" and "Gl Ext String:", fetches the entry points
// and sets VBOAvailable, FBOAvailable and ShadersAvailable. Needs a current GL context.
void InitGLExtensions();

namespace GLExt {
// Vertex buffer objects.
extern PFNGLBINDBUFFERARBPROC    glBindBufferARB;
extern PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;
extern PFNGLGENBUFFERSARBPROC    glGenBuffersARB;
extern PFNGLBUFFERDATAARBPROC    glBufferDataARB;
extern PFNGLBUFFERSUBDATAARBPROC glBufferSubDataARB;
// Frame buffer objects.
extern PFNGLGENFRAMEBUFFERSEXTPROC         glGenFramebuffersEXT;
extern PFNGLBINDFRAMEBUFFEREXTPROC         glBindFramebufferEXT;
extern PFNGLGENRENDERBUFFERSEXTPROC        glGenRenderbuffersEXT;
extern PFNGLBINDRENDERBUFFEREXTPROC        glBindRenderbufferEXT;
extern PFNGLRENDERBUFFERSTORAGEEXTPROC     glRenderbufferStorageEXT;
extern PFNGLFRAMEBUFFERTEXTURE2DEXTPROC    glFramebufferTexture2DEXT;
extern PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferEXT;
extern PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC  glCheckFramebufferStatusEXT;
extern PFNGLDELETERENDERBUFFERSEXTPROC     glDeleteRenderbuffersEXT;
extern PFNGLDELETEFRAMEBUFFERSEXTPROC      glDeleteFramebuffersEXT;
// Shader objects (the ones the renderer calls; the loader fetches the whole family).
extern PFNGLCREATESHADEROBJECTARBPROC  glCreateShaderObjectARB;
extern PFNGLSHADERSOURCEARBPROC        glShaderSourceARB;
extern PFNGLCOMPILESHADERARBPROC       glCompileShaderARB;
extern PFNGLDELETEOBJECTARBPROC        glDeleteObjectARB;
extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
extern PFNGLATTACHOBJECTARBPROC        glAttachObjectARB;
extern PFNGLDETACHOBJECTARBPROC        glDetachObjectARB;
extern PFNGLLINKPROGRAMARBPROC         glLinkProgramARB;
extern PFNGLUSEPROGRAMOBJECTARBPROC    glUseProgramObjectARB;
extern PFNGLVALIDATEPROGRAMARBPROC     glValidateProgramARB;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
extern PFNGLGETINFOLOGARBPROC          glGetInfoLogARB;
extern PFNGLGETUNIFORMLOCATIONARBPROC  glGetUniformLocationARB;
extern PFNGLUNIFORM1FARBPROC           glUniform1fARB;
extern PFNGLUNIFORM3FARBPROC           glUniform3fARB;
extern PFNGLUNIFORM1IARBPROC           glUniform1iARB;
// Multitexturing (always fetched).
extern PFNGLACTIVETEXTUREARBPROC       glActiveTextureARB;
extern PFNGLMULTITEXCOORD2FARBPROC     glMultiTexCoord2fARB;
extern PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB;
} // namespace GLExt
