#pragma once
// The GL side of the asset libraries (library zassetsgl): texture uploads through GLU mipmaps,
// vertex buffers, model and particle drawing. Everything else of the assets lives in zassets and
// reaches this code only through the device that InstallGLAssets hands it.

// Makes the GL asset device the one in use (see "assets/AssetDevice.h"). Makes no GL call itself, so
// it may run before the context exists; it must run before the first texture, model or effect is
// loaded and before DetectVertexBuffers, which asks the device. Calling it again changes nothing.
void InstallGLAssets();
