#pragma once
// The models on land, written below the staging tree's "Data" folder: the air-defence sites and
// the destructible buildings ("Models/Buildings/<name>/Main.otm" and "Dead.otm"), and the static
// decorations that missions place with "CreateStaticObject" ("Models/Static/<name>.otm").

#include <string>

void WriteSites(const std::string &data);
void WriteBuildings(const std::string &data);
void WriteStatics(const std::string &data);
