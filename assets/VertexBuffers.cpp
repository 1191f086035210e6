// The entry points come straight from the GL library, which exports the ARB buffer calls on every
// driver we support, so no address lookup is needed.
#define GL_GLEXT_PROTOTYPES 1
#include "assets/VertexBuffers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

bool VBOAvailable = false;

bool DetectVertexBuffers()
{
    const auto *text = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    std::string extensions = text ? text : "";
    for (char &c : extensions)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    VBOAvailable = extensions.find("GL_ARB_VERTEX_BUFFER_OBJECT") != std::string::npos;
    return VBOAvailable;
}

unsigned CreateVertexBuffer(const void *data, std::size_t size)
{
    GLuint buffer = 0;
    glGenBuffersARB(1, &buffer);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(size), data, GL_STATIC_DRAW_ARB);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    return buffer;
}

void BindVertexBuffer(unsigned buffer) { glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer); }

void DeleteVertexBuffer(unsigned buffer)
{
    const GLuint name = buffer;
    glDeleteBuffersARB(1, &name);
}
