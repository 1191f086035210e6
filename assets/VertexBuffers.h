#pragma once
// Vertex buffer objects (GL_ARB_vertex_buffer_object) for the model formats. The flag says whether
// the driver offers them; the extension loader sets it once the GL context exists, and until it runs
// the flag stays false and models are drawn in immediate mode. The buffers themselves are made by
// the installed asset device, so without the GL device there are none (names are 0).

#include <cstddef>

extern bool VBOAvailable;

// Sets VBOAvailable from the extension string of the current GL context and returns it; false while
// no GL device is installed. For programs that have no extension loader of their own (the tools,
// the tests).
bool DetectVertexBuffers();

// A new array buffer holding Size bytes of Data (static draw). Leaves no buffer bound.
unsigned CreateVertexBuffer(const void *data, std::size_t size);
// Binds Buffer to the array-buffer target; 0 returns client arrays to plain memory pointers.
void BindVertexBuffer(unsigned buffer);
// A new element buffer holding Size bytes of 32-bit vertex indices (static draw); 0 without one.
// Leaves no buffer bound.
unsigned CreateIndexBuffer(const void *data, std::size_t size);
void DeleteVertexBuffer(unsigned buffer);
