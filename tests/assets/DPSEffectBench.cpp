// How many particles per millisecond the particle control ages and the emitters refresh.
// Run by hand: build/tests/assets/effects_bench

#include "assets/DPSEffect.h"

#include <benchmark/benchmark.h>

namespace {

// A steady smoke column: Rate particles per second, each living LifeTenths tenths of a second.
TDpsFile Column(int rate, int lifeTenths)
{
    TDpsFile e;
    e.Name = "bench";
    for (TGradient &g : e.Effect)
        g.Keys = {{0, 100}};
    TDpsRecord r;
    r.Colour = {{0, 200, 200, 200}, {1, 60, 60, 60}};
    r.Alpha.Keys = {{0, 0}, {0.1f, 200}, {1, 0}};
    for (TGradient &g : r.Gradients)
        g.Keys = {{0, 100}};
    r.Gradients[GLife].Keys = {{0, lifeTenths}};
    r.Gradients[GRate].Keys = {{0, rate}};
    r.Gradients[GSpeedSpread].Keys = {{0, 50}};
    r.Gradients[GSpreadByLife].Keys = {{0, 0}, {1, 100}};
    r.Gradients[GRiseByLife].Keys = {{0, 0}, {1, 100}};
    e.Records.push_back(r);
    return e;
}

void UpdateAndRefresh(benchmark::State &state)
{
    const int emitters = int(state.range(0));
    TSprites sprites;
    Sprites = &sprites;
    const TBakedEffect effect = BakeEffect(Column(400, 50), {});
    std::vector<std::unique_ptr<TEmitter>> list;
    for (int i = 0; i < emitters; ++i)
        list.push_back(std::make_unique<TEmitter>(effect, 1.0f));
    // Warm up to the steady state: 400 per second living 5 s is about 2000 particles each.
    for (int t = 0; t < 6000; t += 25) {
        for (auto &e : list)
            e->Update(25, VectorSet4(0, 0, 0, 1), false);
        sprites.UpdateAll(25);
    }
    std::size_t particles = 0;
    for (auto _ : state) {
        for (auto &e : list)
            e->Update(25, VectorSet4(0, 0, 0, 1), false);
        sprites.UpdateAll(25);
        particles = 0;
        for (TSpriteBlock *b : sprites.Blocks)
            particles += b->Particles.size();
    }
    state.counters["particles"] = double(particles);
    state.counters["particles_per_ms"] =
        benchmark::Counter(double(particles) * double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate);
    list.clear();
    Sprites = nullptr;
}

} // namespace

BENCHMARK(UpdateAndRefresh)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
