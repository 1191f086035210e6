#include "render/GLExt.h"

#include "assets/VertexBuffers.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "data/Extractor.h"

bool FBOAvailable = false;
bool ShadersAvailable = false;
std::string GLVendor;

namespace GLExt {
PFNGLBINDBUFFERARBPROC    glBindBufferARB = nullptr;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB = nullptr;
PFNGLGENBUFFERSARBPROC    glGenBuffersARB = nullptr;
PFNGLBUFFERDATAARBPROC    glBufferDataARB = nullptr;
PFNGLBUFFERSUBDATAARBPROC glBufferSubDataARB = nullptr;

PFNGLGENFRAMEBUFFERSEXTPROC         glGenFramebuffersEXT = nullptr;
PFNGLBINDFRAMEBUFFEREXTPROC         glBindFramebufferEXT = nullptr;
PFNGLGENRENDERBUFFERSEXTPROC        glGenRenderbuffersEXT = nullptr;
PFNGLBINDRENDERBUFFEREXTPROC        glBindRenderbufferEXT = nullptr;
PFNGLRENDERBUFFERSTORAGEEXTPROC     glRenderbufferStorageEXT = nullptr;
PFNGLFRAMEBUFFERTEXTURE2DEXTPROC    glFramebufferTexture2DEXT = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferEXT = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC  glCheckFramebufferStatusEXT = nullptr;
PFNGLDELETERENDERBUFFERSEXTPROC     glDeleteRenderbuffersEXT = nullptr;
PFNGLDELETEFRAMEBUFFERSEXTPROC      glDeleteFramebuffersEXT = nullptr;

PFNGLCREATESHADEROBJECTARBPROC   glCreateShaderObjectARB = nullptr;
PFNGLSHADERSOURCEARBPROC         glShaderSourceARB = nullptr;
PFNGLCOMPILESHADERARBPROC        glCompileShaderARB = nullptr;
PFNGLDELETEOBJECTARBPROC         glDeleteObjectARB = nullptr;
PFNGLCREATEPROGRAMOBJECTARBPROC  glCreateProgramObjectARB = nullptr;
PFNGLATTACHOBJECTARBPROC         glAttachObjectARB = nullptr;
PFNGLDETACHOBJECTARBPROC         glDetachObjectARB = nullptr;
PFNGLLINKPROGRAMARBPROC          glLinkProgramARB = nullptr;
PFNGLUSEPROGRAMOBJECTARBPROC     glUseProgramObjectARB = nullptr;
PFNGLVALIDATEPROGRAMARBPROC      glValidateProgramARB = nullptr;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
PFNGLGETINFOLOGARBPROC           glGetInfoLogARB = nullptr;
PFNGLGETUNIFORMLOCATIONARBPROC   glGetUniformLocationARB = nullptr;
PFNGLUNIFORM1FARBPROC            glUniform1fARB = nullptr;
PFNGLUNIFORM3FARBPROC            glUniform3fARB = nullptr;
PFNGLUNIFORM1IARBPROC            glUniform1iARB = nullptr;

PFNGLACTIVETEXTUREARBPROC       glActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC     glMultiTexCoord2fARB = nullptr;
PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
} // namespace GLExt

namespace {

// Whether Name is one of the blank-separated words of the extension string. A plain substring
// search would let a longer extension that starts with the same letters stand in for it.
bool HasWord(std::string_view list, std::string_view name)
{
    for (std::size_t at = list.find(name); at != std::string_view::npos; at = list.find(name, at + 1)) {
        const bool starts = at == 0 || list[at - 1] == ' ';
        const bool ends = at + name.size() == list.size() || list[at + name.size()] == ' ';
        if (starts && ends)
            return true;
    }
    return false;
}

// The driver's text for Name, trimmed and upper-cased; empty when it gives none.
std::string DriverString(GLenum name)
{
    const auto *text = reinterpret_cast<const char *>(glGetString(name));
    return text ? UpperCase(TrimText(text)) : std::string();
}

template <typename T> void Fetch(T &entry, const char *name)
{
    entry = reinterpret_cast<T>(GLProcAddress(name));
}

// Entry points of the family that the renderer never calls: looked up in their place, not kept.
void FetchUnused(const char *name) { (void)GLProcAddress(name); }

} // namespace

TGLCapabilities CapabilitiesFromExtensions(std::string_view upperExtensions)
{
    TGLCapabilities caps;
    caps.VertexBuffers = HasWord(upperExtensions, "GL_ARB_VERTEX_BUFFER_OBJECT");
    caps.FrameBuffers = HasWord(upperExtensions, "GL_EXT_FRAMEBUFFER_OBJECT");
    caps.Shaders = HasWord(upperExtensions, "GL_ARB_SHADING_LANGUAGE_100") &&
                   HasWord(upperExtensions, "GL_ARB_VERTEX_PROGRAM") &&
                   HasWord(upperExtensions, "GL_ARB_FRAGMENT_PROGRAM");
    return caps;
}

void InitGLExtensions()
{
    using namespace GLExt;
    GLVendor = DriverString(GL_VENDOR);
    const std::string renderer = DriverString(GL_RENDERER);
    const std::string version = DriverString(GL_VERSION);
    const std::string extensions = DriverString(GL_EXTENSIONS);
    LogWrite("Gl Vendor: " + GLVendor);
    LogWrite("Gl Renderer: " + renderer);
    LogWrite("Gl Version: " + version);
    LogWrite("Gl Ext String: " + extensions);

    // The client-array calls are core GL 1.1 and linked directly; they are looked up only to keep
    // the loader's order.
    for (const char *name : {"glVertexPointer", "glColorPointer", "glNormalPointer", "glTexCoordPointer",
                             "glDrawArrays", "glDrawElements"})
        FetchUnused(name);

    const TGLCapabilities caps = CapabilitiesFromExtensions(extensions);

    VBOAvailable = false;
    if (caps.VertexBuffers) {
        Fetch(glBindBufferARB, "glBindBufferARB");
        Fetch(glDeleteBuffersARB, "glDeleteBuffersARB");
        Fetch(glGenBuffersARB, "glGenBuffersARB");
        Fetch(glBufferDataARB, "glBufferDataARB");
        Fetch(glBufferSubDataARB, "glBufferSubDataARB");
        VBOAvailable = glBindBufferARB && glDeleteBuffersARB && glGenBuffersARB && glBufferDataARB;
    }

    FBOAvailable = false;
    if (caps.FrameBuffers) {
        Fetch(glGenFramebuffersEXT, "glGenFramebuffersEXT");
        Fetch(glBindFramebufferEXT, "glBindFramebufferEXT");
        Fetch(glGenRenderbuffersEXT, "glGenRenderbuffersEXT");
        Fetch(glBindRenderbufferEXT, "glBindRenderbufferEXT");
        Fetch(glRenderbufferStorageEXT, "glRenderbufferStorageEXT");
        Fetch(glFramebufferTexture2DEXT, "glFramebufferTexture2DEXT");
        Fetch(glFramebufferRenderbufferEXT, "glFramebufferRenderbufferEXT");
        Fetch(glCheckFramebufferStatusEXT, "glCheckFramebufferStatusEXT");
        Fetch(glDeleteRenderbuffersEXT, "glDeleteRenderbuffersEXT");
        Fetch(glDeleteFramebuffersEXT, "glDeleteFramebuffersEXT");
        FBOAvailable = glGenFramebuffersEXT && glBindFramebufferEXT && glGenRenderbuffersEXT &&
                       glBindRenderbufferEXT && glRenderbufferStorageEXT && glFramebufferTexture2DEXT &&
                       glFramebufferRenderbufferEXT;
    }

    ShadersAvailable = false;
    if (caps.Shaders) {
        Fetch(glCreateShaderObjectARB, "glCreateShaderObjectARB");
        Fetch(glShaderSourceARB, "glShaderSourceARB");
        Fetch(glCompileShaderARB, "glCompileShaderARB");
        Fetch(glDeleteObjectARB, "glDeleteObjectARB");
        FetchUnused("glGetHandleARB");
        Fetch(glDetachObjectARB, "glDetachObjectARB");
        Fetch(glCreateProgramObjectARB, "glCreateProgramObjectARB");
        Fetch(glAttachObjectARB, "glAttachObjectARB");
        Fetch(glLinkProgramARB, "glLinkProgramARB");
        Fetch(glUseProgramObjectARB, "glUseProgramObjectARB");
        Fetch(glValidateProgramARB, "glValidateProgramARB");
        FetchUnused("glGetObjectParameterfvARB");
        Fetch(glGetObjectParameterivARB, "glGetObjectParameterivARB");
        for (const char *name : {"glGetActiveUniformARB", "glGetAttachedObjectsARB", "glGetShaderSourceARB",
                                 "glGetUniformfvARB", "glGetUniformivARB"})
            FetchUnused(name);
        Fetch(glGetUniformLocationARB, "glGetUniformLocationARB");
        Fetch(glGetInfoLogARB, "glGetInfoLogARB");
        Fetch(glUniform1fARB, "glUniform1fARB");
        FetchUnused("glUniform2fARB");
        Fetch(glUniform3fARB, "glUniform3fARB");
        FetchUnused("glUniform4fARB");
        Fetch(glUniform1iARB, "glUniform1iARB");
        for (const char *name : {"glUniform2iARB", "glUniform3iARB", "glUniform4iARB", "glUniform1fvARB",
                                 "glUniform2fvARB", "glUniform3fvARB", "glUniform4fvARB", "glUniform1ivARB",
                                 "glUniform2ivARB", "glUniform3ivARB", "glUniform4ivARB", "glUniformMatrix2fvARB",
                                 "glUniformMatrix3fvARB", "glUniformMatrix4fvARB", "glGetAttribLocationARB",
                                 "glVertexAttrib3fARB"})
            FetchUnused(name);
        // A driver that names the extensions but lacks a call the programs need gets no shaders
        // rather than a crash through a null pointer.
        ShadersAvailable = glCreateShaderObjectARB && glShaderSourceARB && glCompileShaderARB &&
                           glDeleteObjectARB && glCreateProgramObjectARB && glAttachObjectARB &&
                           glLinkProgramARB && glUseProgramObjectARB && glGetObjectParameterivARB &&
                           glGetInfoLogARB && glGetUniformLocationARB && glUniform1fARB && glUniform3fARB &&
                           glUniform1iARB;
    }

    Fetch(GLExt::glActiveTextureARB, "glActiveTextureARB");
    Fetch(GLExt::glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
    Fetch(GLExt::glClientActiveTextureARB, "glClientActiveTextureARB");
}
