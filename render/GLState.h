#pragma once
// The GL state the whole game draws on. Start-up sets it once, when the rendering context exists;
// each drawing pass that changes a piece of it puts it back.

// Client arrays for texture coordinates, normals and vertices; depth test; alpha blending with
// source alpha; the alpha test that drops fully transparent texels.
void InitRenderState();

// The last of the start-up state, set once every service exists, before the first frame.
void FinishRenderStartup();
