#include "assets/ModelLib.h"

#include "assets/OTMModel.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Text.h"
#include "data/Extractor.h"

#include <exception>

TModelLib *ModelLib = nullptr;

namespace {

// A new, empty model of the format that the upper-cased extension names; null for any other.
std::unique_ptr<TModel> CreateModelFor(const std::string &extension)
{
    if (extension == ".OTM")
        return std::make_unique<TOTMModel>();
    return nullptr;
}

std::string UpperExtension(const std::string &name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperCase(std::string_view(name).substr(dot));
}

} // namespace

std::string LODFileName(const std::string &name, int slot)
{
    // A dot in the install folder ("/home/me/.games/...") is not the model's: look after it.
    const std::size_t from = !AppDir.empty() && name.compare(0, AppDir.size(), AppDir) == 0 ? AppDir.size() : 0;
    const std::size_t dot = name.find('.', from);
    if (dot == std::string::npos)
        return {};
    return name.substr(0, dot) + "_lod" + std::to_string(slot) + name.substr(dot);
}

TModel *TModelLib::Load(const std::string &name, bool flag)
{
    for (const TModelItem &item : Items)
        if (item.Name == name)
            return item.Model;
    Items.push_back({name, nullptr});
    ++Count;
    LogWrite("Loading Model: " + name);

    std::unique_ptr<TModel> created = CreateModelFor(UpperExtension(name));
    if (!created)
        return nullptr;
    try {
        created->LoadFromFile(name);
    } catch (...) {
        Items.pop_back();
        --Count;
        throw;
    }
    TModel *model = created.get();
    Owned.push_back(std::move(created));
    Items[std::size_t(Count - 1)].Model = model;

    for (int slot = 0; slot < 2; ++slot) {
        const std::string lod = LODFileName(name, slot);
        if (lod.empty() || !DataFileExists(lod))
            continue;
        LogWrite("  Loading LOD" + std::to_string(slot) + ":" + lod);
        // The model is cached already, so a damaged LOD must not fail its load: the next request
        // would return the model without it. It is skipped like a missing one, every time.
        try {
            model->SetLOD(slot, Load(lod, flag), 10 * model->Radius);
        } catch (const std::exception &e) {
            LogWrite("  Skipped LOD" + std::to_string(slot) + ": " + e.what());
        }
    }
    return model;
}

void LoadModelList()
{
    TTextFile list(AppDir + "Data\\Models\\Models.txt", Extractor);
    while (!list.Eof())
        ModelLib->Load(AppDir + "Data\\Models\\" + list.ReadLine(), true);
}
