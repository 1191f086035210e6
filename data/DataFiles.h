#pragma once
// What a data folder holds: the archive of the run and the loose files below the game folder seen as
// one tree, the way every loader sees single files (a loose file overrides the archive's entry of
// the same path).

#include <string>
#include <vector>

// The names of the files directly in Folder (a game path such as AppDir + "Data\Maps", with or
// without a trailing "\") whose names end in Extension (".mod"; letter case ignored; empty: every
// file). The archive's entries (through the global Extractor, matched after its base path as
// FindFile does) and the loose files on disk are merged: a name found in both, in any letter case,
// is listed once as the loose file spells it. Folders, and files in folders below Folder, are not
// listed. Sorted by name ignoring letter case. A folder that exists nowhere gives an empty list.
std::vector<std::string> ListDataFiles(const std::string &folder, const std::string &extension);
