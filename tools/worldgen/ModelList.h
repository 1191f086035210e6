#pragma once
// "Data\Models\Models.txt", the list the game preloads at every mission load: one model a line,
// relative to "Data\Models\" ("Ships\Destroyer\Main_0.otm"), lines ended by CR LF.

#include <string>
#include <vector>

// Every ".otm" and ".otm2" file below ModelsFolder, in any letter case, except the "_lod0" and
// "_lod1" variants (the model library attaches those itself), written with backslashes and sorted.
std::vector<std::string> ListModels(const std::string &modelsFolder);
// Writes ListModels(ModelsFolder) to Output. Throws std::runtime_error naming the file when it
// cannot be written, or naming the folder when it holds no model.
void WriteModelList(const std::string &modelsFolder, const std::string &output);
