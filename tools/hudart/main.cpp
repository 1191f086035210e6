// hudart: draws the HUD images and the menu's pictures, panels and level titles of the game.
//
//   hudart TEXTS LEVELS DATADIR [SET...]
//
// TEXTS holds the words of every image in English and Russian and the fonts; LEVELS the campaign's
// level titles. Writes DATADIR/HUD/*.png, DATADIR/Menu/*.png and DATADIR/Maps/LevelN_*.png; an image
// with words is written twice, "Name.png" and "Name_rus.png". Each SET is the texts file of an add-on
// map set, "Name.txt": its button and screens go to DATADIR/Menu/Name/, its missions' loading
// pictures to DATADIR/Maps/Name1_number.png and on.

#include "tools/hudart/Art.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

TArt::TArt(const std::string &textsPath, const std::string &levelsPath, const std::string &dataDir)
    : Texts(textsPath), Levels(ReadLevels(levelsPath)), Title(Texts.Font("title")), Bold(Texts.Font("bold")),
      Regular(Texts.Font("regular")), DataDir(dataDir)
{
}

std::string TArt::Out(const std::string &folder, const std::string &name, int language) const
{
    const std::filesystem::path dir = std::filesystem::path(DataDir) / folder;
    std::filesystem::create_directories(dir);
    return (dir / (name + LanguageSuffix[language] + ".png")).string();
}

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    const bool help = argc == 2 && (first == "--help" || first == "-help");
    if (argc < 4 || help) {
        std::fputs("usage: hudart TEXTS LEVELS DATADIR [SET...]\n"
                   "Draws the HUD images into DATADIR/HUD, the menu pictures and panels into DATADIR/Menu and the\n"
                   "level titles into DATADIR/Maps, each image with words in English (Name.png) and Russian\n"
                   "(Name_rus.png). TEXTS: \"font NAME FILE\" lines, then [Image] sections of\n"
                   "\"key | English | Russian\" lines. LEVELS: \"N | title | title | line | line\" per level.\n"
                   "Each SET (Name.txt, in the form of TEXTS) is an add-on map set: its [First] and [Last]\n"
                   "screens and main page button go to DATADIR/Menu/Name/, the loading pictures of its\n"
                   "missions ([Levels]: a title and a line each) to DATADIR/Maps/Name1_number.png and on.\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    try {
        const TArt art(argv[1], argv[2], argv[3]);
        std::vector<TAddOnSet> sets;
        for (int i = 4; i < argc; ++i)
            sets.emplace_back(argv[i]);
        if (art.Levels.empty())
            throw std::runtime_error(std::string("The level list \"") + argv[2] + "\" names no level");
        DrawHudImages(art);
        DrawPanels(art);
        DrawLevelImages(art);
        DrawScreens(art);
        for (const TAddOnSet &set : sets)
            DrawAddOnSet(art, set);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "hudart: %s\n", e.what());
        return 1;
    }
    return 0;
}
