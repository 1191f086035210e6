// The cost of one 25 ms world step with many active units of mixed classes, headless, over the
// game's own data: ships with their turrets, aircraft, air-defence sites and buildings of two sides
// spread over a sea that grows with their number (the same density at every size), each with a target
// of the other side; and the sight the tick works out over them from a view in the middle of the
// sea (the point under the middle of the picture, and which units the others hide). Run on demand:
// build/tests/sim/world_bench.

#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "sim/Aircraft.h"
#include "sim/Cameras.h"
#include "sim/GameObjects.h"
#include "sim/Ground.h"
#include "sim/Ships.h"
#include "sim/Sight.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

void OpenData()
{
    static bool open = false;
    if (open)
        return;
    open = true;
    AppDir = std::string(ZEPHRONA_GAME_DIR) + "/";
    OpenGameArchive(AppDir);
    ModelLib = new TModelLib();
    Sprites = new TSprites();
    Billboards = new TBillboards();
    CreateUnitTemplates(false);
}

// One headless frame as the world runs it: the objects, their aim points, then the shots and the
// particles age.
void Step(TObjectsControl &objects)
{
    objects.Update(25);
    objects.UpdateProjection();
    Billboards->Update(25);
    Sprites->UpdateAll(25);
}

// Count units of both sides on a square sea of 1000 x 1000 per unit (a busy mission is thinner).
std::unique_ptr<TObjectsControl> MakeWorld(int count)
{
    auto objects = std::make_unique<TObjectsControl>();
    RandSeed = 1;
    const float side = 1000.0f * std::sqrt(float(count));
    std::vector<TGameObject *> bySide[2];
    for (int i = 0; i < count; ++i) {
        const int team = i % 2;
        const TVector3 at = VectorSet3(float(Random(int(side))), float(Random(int(side))), 0);
        const TVector3 angles = VectorSet3(0, float(Random(360) - 180), 0);
        TGameObject *unit = nullptr;
        switch (i % 8) {
        case 0: unit = new TDestroyer(*objects, at, team, angles); break;
        case 1: unit = new TBoat(*objects, at, team, angles); break;
        case 2: unit = new TCraftSu25(*objects, VectorSet3(at.x, at.y, 1000), angles); break;
        case 3: unit = new TCraftGAS1(*objects, VectorSet3(at.x, at.y, 1500), angles); break;
        case 4: unit = new TCoolSam(*objects, at, team, angles); break;
        case 5: unit = new TShilka(*objects, at, team, angles); break;
        case 6: unit = new TTransport(*objects, at, team, angles, "Cargo"); break;
        default: unit = new TCraftAvax(*objects, VectorSet3(at.x, at.y, 2000), angles); break;
        }
        unit->Side = team;
        unit->Health = unit->MaxHealth = 1e9f;   // nobody dies: the same load every step
        unit->Targetable = 1;
        unit->IsGround = (i % 8 == 2 || i % 8 == 3 || i % 8 == 7) ? 0 : 1;
        objects->Add(unit);
        bySide[team].push_back(unit);
    }
    for (int team = 0; team < 2; ++team)
        for (std::size_t k = 0; k < bySide[team].size(); ++k) {
            const auto &enemies = bySide[1 - team];
            if (!enemies.empty())
                bySide[team][k]->Target = enemies[k % enemies.size()];
        }
    return objects;
}

void WorldStep(benchmark::State &state)
{
    OpenData();
    auto objects = MakeWorld(int(state.range(0)));
    for (int i = 0; i < 40; ++i)   // let the turrets find their targets and the fleets close in
        Step(*objects);
    for (auto _ : state)
        Step(*objects);
    state.SetComplexityN(state.range(0));
    state.counters["objects"] = double(objects->Count);
    std::size_t particles = 0;
    for (const TSpriteBlock *block : Sprites->Blocks)
        particles += block->Particles.size();
    state.counters["particles"] = double(particles);
    state.counters["tracers"] = double(Billboards->Count());
}

// The sight of one tick: from the middle of the sea at 1000 up, looking across it a little above
// level.
void SightStep(benchmark::State &state)
{
    OpenData();
    const int count = int(state.range(0));
    auto objects = MakeWorld(count);
    Step(*objects);
    const float middle = 500.0f * std::sqrt(float(count));
    TCamera camera;
    camera.Position = VectorSet4(middle, middle, 1000, 0);
    camera.Pitch = -95;
    camera.Place(nullptr);
    const TView view = camera.MakeView(camera.ModelView, 4.0f / 3.0f, 10000, 9000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SightPoint(objects.get(), view, nullptr));
        UpdateSightVisibility(*objects, view);
    }
    state.SetComplexityN(state.range(0));
    int visible = 0;
    for (const TGameObject *object : objects->Objects)
        visible += object->Visible ? 1 : 0;
    state.counters["visible"] = double(visible);
}

} // namespace

BENCHMARK(WorldStep)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(SightStep)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_MAIN();
