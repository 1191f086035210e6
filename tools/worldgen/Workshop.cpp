#include "tools/worldgen/Workshop.h"

#include "tools/worldgen/Paint.h"

#include <filesystem>
#include <stdexcept>

std::string MakeFolder(const std::string &root, const std::string &relative)
{
    const std::filesystem::path path = std::filesystem::path(root) / relative;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!std::filesystem::is_directory(path))
        throw std::runtime_error("Cannot make the folder \"" + path.string() + "\"");
    return path.string() + "/";
}

void WriteWithWreck(const std::string &folder, const TCanvas &texture, int mainFrames, int mainRate,
                    const TModelRecipe &recipe, std::uint32_t seed)
{
    TModelBuilder main(mainFrames, mainRate);
    recipe(main, false);
    WriteModel(folder, "Main", main, texture);
    TModelBuilder dead(WreckFrames, WreckRate);
    recipe(dead, true);
    WriteModel(folder, "Dead", dead, Scorched(texture, seed));
}

void WriteModel(const std::string &folder, const std::string &name, const TModelBuilder &model, const TCanvas &texture)
{
    model.Save(folder + name + ".otm");
    texture.Save(folder + name + ".png", false);
}
