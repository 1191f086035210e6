#pragma once
// What every part of the world generator shares: the staging folders, and the writing of a model
// with its texture and, for what can be destroyed, its wreck.

#include "tools/imagegen/Canvas.h"
#include "tools/modelgen/ModelBuilder.h"

#include <cstdint>
#include <functional>
#include <string>

// A wreck plays its key frames once over five seconds: 20 keys, 4 a second.
constexpr int WreckFrames = 20;
constexpr int WreckRate = 4;

// Root + Relative ("Models/Buildings/SAM"), made if missing, with a trailing "/".
std::string MakeFolder(const std::string &root, const std::string &relative);

// Fills a model; Wreck asks for the destroyed form with its motion and effect points.
using TModelRecipe = std::function<void(TModelBuilder &model, bool wreck)>;

// Writes "Main.otm" with Texture as "Main.png", and "Dead.otm" with the texture burnt as
// "Dead.png", into Folder.
void WriteWithWreck(const std::string &folder, const TCanvas &texture, int mainFrames, int mainRate,
                    const TModelRecipe &recipe, std::uint32_t seed);
// Writes Folder + Name + ".otm" and its opaque texture beside it.
void WriteModel(const std::string &folder, const std::string &name, const TModelBuilder &model, const TCanvas &texture);
