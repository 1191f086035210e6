#pragma once
// The readable description of a particle effect, which dpstool compiles into a ".dps" file and
// prints back from one.
//
//   # comment
//   effect "Name"                 (then, in any order before the first record:)
//   version 5                     optional, 5 when left out
//   duration 20                   tenths of a second
//   clip 0                        clip-sphere radius
//   emit-rate 0=100 1=100         a gradient: position=value keys, positions 0..1
//   life-scale, size-scale, spread-scale, rise-scale, rotation-scale, alpha-scale: likewise
//   record "Name"                 starts an emitter record, which takes:
//     texture "Textures/Smoke.png"
//     colour 0=255,255,255 1=90,90,90
//     alpha 0=0 0.1=200 1=0
//     layer 0
//     additive 1
//     alpha-by-time, life, rate, size, speed, lift, spin, life-spread, rate-spread, size-spread,
//     speed-spread, lift-spread, spin-spread, size-by-life, spread-by-life, rise-by-life,
//     spin-by-life: gradients
//   end                           closes the record
// Gradients left out have no keys.

#include "assets/DPSFile.h"

#include <string>

// Throws std::runtime_error naming Source and the line for anything it does not understand.
TDpsFile ParseEffectText(const std::string &text, const std::string &source);
// Prints every field; ParseEffectText of the result gives the same effect, bit for bit.
std::string PrintEffectText(const TDpsFile &effect);
