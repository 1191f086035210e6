#pragma once
// The model library: a model file name in, the loaded model out, each file read once per run.
// Lower-detail variants named "<name>_lod0.<ext>" and "<name>_lod1.<ext>" are loaded with their
// model and attached to it. The library owns every model for the whole run.

#include "assets/Model.h"

#include <memory>
#include <string>
#include <vector>

struct TModelItem {
    std::string Name;             // the exact name asked for
    TModel     *Model = nullptr;  // null when the extension is not a model format
};

class TModelLib {
public:
    // The model of Name (matched exactly, letter case and path as given). The first request loads
    // it by its extension (".otm" in any case) and attaches its LOD files where they exist; a name
    // of another kind gives null, now and on every later request. Flag is passed on by callers and
    // unused. A missing or damaged file throws and leaves no entry behind, so a later request tries
    // again. A damaged LOD file is skipped like a missing one (with a log line): the model loads
    // without that LOD, on this request and every later one.
    TModel *Load(const std::string &name, bool flag = false);

    std::vector<TModelItem> Items;
    int                     Count = 0;

private:
    std::vector<std::unique_ptr<TModel>> Owned;
};

// The library of the run, created at start-up after the texture library.
extern TModelLib *ModelLib;

// The name of a model's LOD file (Slot 0 or 1): the first "." of the name (after AppDir when the name
// starts with it) becomes "_lod0." or "_lod1."; empty when there is no dot.
std::string LODFileName(const std::string &name, int slot);

// Loads every model named in AppDir + "Data\Models\Models.txt" into ModelLib: one name per line,
// relative to "Data\Models\", used exactly as written.
void LoadModelList();
