// worldgen: draws and builds the world's content into the staging tree's "Data" folder.

#include "tools/worldgen/Ground.h"
#include "tools/worldgen/Islands.h"
#include "tools/worldgen/ModelList.h"
#include "tools/worldgen/Sky.h"
#include "tools/worldgen/Textures.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char *const Usage =
    "usage: worldgen PART DATA\n"
    "Writes one part of the world below the folder DATA (the game's \"Data\" folder):\n"
    "  ground     Models/Buildings/ (air-defence sites and buildings with their wrecks), Models/Static/\n"
    "  islands    Maps/Islands/ (islands with their collision meshes and lower-detail variants)\n"
    "  sky        Models/Sky/Clear_Sky/ (sky dome, cloud layer, cloud height map)\n"
    "  textures   Textures/ (sea, ripples, splashes, tracers, the reload marker)\n"
    "  modellist  Models/Models.txt, the preload list of every model below Models/\n";

} // namespace

int main(int argc, char **argv)
{
    const std::string part = argc > 1 ? argv[1] : "";
    if (part == "--help" || part == "-h") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const std::string data = argv[2];
    try {
        if (part == "ground") {
            WriteSites(data);
            WriteBuildings(data);
            WriteStatics(data);
        } else if (part == "islands") {
            WriteIslands(data);
        } else if (part == "sky") {
            WriteSky(data);
        } else if (part == "textures") {
            WriteTextures(data);
        } else if (part == "modellist") {
            WriteModelList(data + "/Models", data + "/Models/Models.txt");
        } else {
            std::fprintf(stderr, "worldgen: unknown part \"%s\"\n%s", part.c_str(), Usage);
            return 2;
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "worldgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
