// craftgen: builds the aircraft, the turrets, the player's aircraft and the small models (bombs,
// missiles, markers, muzzle flame, the mega bomb's blast) with their textures.
//
//   craftgen DATADIR [--font FILE] [--only FAMILY] [--list]
//
// Writes below DATADIR ("Models/Crafts/...", "Models/Guns/...", ...). FAMILY is one of bomber,
// avax, fighter, turrets, player, misc; --list prints every path written, one a line.

#include "tools/craftgen/Craft.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>

void TOutput::Model(const TModelBuilder &model, const std::string &path)
{
    const std::filesystem::path file = std::filesystem::path(DataDir) / path;
    std::filesystem::create_directories(file.parent_path());
    model.Save(file.string());
    Written.push_back(path);
}

void TOutput::Texture(const TAtlas &atlas, const std::string &path, bool alpha)
{
    const std::filesystem::path file = std::filesystem::path(DataDir) / path;
    std::filesystem::create_directories(file.parent_path());
    atlas.Canvas.Save(file.string(), alpha);
    Written.push_back(path);
}

namespace {

const std::map<std::string, std::function<void(TOutput &)>> &Families()
{
    static const std::map<std::string, std::function<void(TOutput &)>> families = {
        {"bomber", BuildBomber},   {"avax", BuildEarlyWarning}, {"fighter", BuildFighter},
        {"turrets", BuildTurrets}, {"player", BuildPlayer},     {"misc", BuildMisc},
    };
    return families;
}

int Usage()
{
    std::fputs("usage: craftgen DATADIR [--font FILE] [--only FAMILY] [--list]\n"
               "  builds the aircraft, turrets, player aircraft and small models below DATADIR;\n"
               "  FAMILY: bomber, avax, fighter, turrets, player or misc\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    TOutput out;
    out.Font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    std::string only;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        if (arg == "--font" && i + 1 < argc)
            out.Font = argv[++i];
        else if (arg == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (arg == "--list")
            list = true;
        else if (out.DataDir.empty() && !arg.starts_with("--"))
            out.DataDir = arg;
        else
            return Usage();
    }
    if (out.DataDir.empty() || (!only.empty() && !Families().contains(only)))
        return Usage();
    try {
        for (const auto &[name, build] : Families())
            if (only.empty() || only == name)
                build(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "craftgen: %s\n", e.what());
        return 1;
    }
    if (list)
        for (const std::string &path : out.Written)
            std::printf("%s\n", path.c_str());
    return 0;
}
