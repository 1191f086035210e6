#pragma once
// The built game folder's Data.dpg, opened once per test program the way the game opens it: entries
// are asked for as the game folder + "Data\...".

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "data/Locale.h"

#include <cstdint>
#include <string>
#include <vector>

extern const std::string GameDir;   // the built game folder, with a trailing "/"

TExtractor &BuiltArchive();
// The bytes of a game path ("Data\Models\...") as the file objects read it.
std::vector<std::uint8_t> BuiltFile(const std::string &gamePath);
// The model at a game path, parsed once and kept.
const TOTMModel &BuiltModel(const std::string &gamePath);
// The built string table with the Russian language selected.
const TLocale &RussianLocale();
