#pragma once
// Draws a model into a PNG picture with a hidden window of its own: lit and textured, seen from
// the front right and above, at a distance that fits the whole model in the picture.

#include <string>

// The flat colour behind the model, 0..255 (red, green, blue).
constexpr int RenderBackground[3] = {96, 128, 160};

struct TRenderOptions {
    int   Width = 512, Height = 512;
    float Time = 0;          // normalized animation time (DrawAt)
    long  Clock = -1;        // when >= 0: the game clock in ms instead, drawn through Draw
    bool  Immediate = false; // no vertex buffers even where the driver has them
};

// Renders File (a disk path; its texture is the ".png" beside it) to Out. Throws std::runtime_error
// when there is no display, the model cannot be read or the picture cannot be written.
void RenderModel(const std::string &file, const std::string &out, const TRenderOptions &options);
