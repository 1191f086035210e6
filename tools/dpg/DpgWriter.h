#pragma once
// Writing "Data.dpg" archives: the packer of the build and of modders, and the tests' archives.

#include <cstdint>
#include <string>
#include <vector>

struct TDpgFile {
    std::string               Name;   // stored as given: "Data\Menu\Logo.png"
    std::vector<std::uint8_t> Bytes;
};

// The whole archive image for the files, in the order given. Throws std::runtime_error for a name
// that does not fit the directory (255 bytes at most) or an archive over 4 GiB.
std::vector<std::uint8_t> BuildDpg(const std::vector<TDpgFile> &files);

// Every file below Dir, named relative to the game folder with backslashes: Dir is the game folder
// itself or its "Data" folder. Sorted by name, so the same tree always packs to the same bytes.
std::vector<TDpgFile> CollectTree(const std::string &dir);
