// Particle effects: the ".dps" reader, gradients and their tables, emitters and the particle control.

#include "assets/DPSEffect.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Random.h"
#include "tools/dpstool/EffectText.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TGradient G(std::vector<TGradientKey> keys) { return TGradient{std::move(keys)}; }

// A one-record effect of 1 s with constant curves: Rate particles per second, each living LifeMs.
TDpsFile Simple(int rate, int lifeTenths)
{
    TDpsFile e;
    e.Name = "test";
    e.Duration = 10;
    for (TGradient &g : e.Effect)
        g = G({{0, 100}});
    TDpsRecord r;
    r.Name = "r";
    r.Texture = "Textures/Smoke.png";
    r.Colour = {{0, 255, 128, 0}, {1, 0, 0, 255}};
    r.Alpha = G({{0, 255}});
    for (TGradient &g : r.Gradients)
        g = G({{0, 0}});
    r.Gradients[GAlphaByTime] = G({{0, 100}});
    r.Gradients[GLife] = G({{0, lifeTenths}});
    r.Gradients[GRate] = G({{0, rate}});
    r.Gradients[GSize] = G({{0, 10}});
    r.Gradients[GSizeByLife] = G({{0, 100}});
    r.Gradients[GSpreadByLife] = G({{0, 0}, {1, 100}});
    r.Gradients[GRiseByLife] = G({{0, 0}, {1, 100}});
    r.Gradients[GSpinByLife] = G({{0, 100}});
    e.Records.push_back(r);
    return e;
}

void RunFor(TEmitter &emitter, int ms, bool stop = false)
{
    for (int t = 0; t < ms; t += 25)
        emitter.Update(25, VectorSet4(0, 0, 0, 1), stop);
}

void Age(TEmitter &emitter, int dt)
{
    TSprites sprites;
    sprites.Add(emitter.Block.get());
    sprites.UpdateAll(dt);
}

} // namespace

TEST(Gradient, EvaluationAtAndAroundItsKeys)
{
    const TGradient one = G({{0.5f, 42}});
    const TGradient ramp = G({{0.2f, 100}, {0.6f, 200}, {1.0f, 0}});
    struct Case {
        const TGradient *g;
        float t;
        int value;
    } cases[] = {
        {&one, 0, 42},       {&one, 0.5f, 42},    {&one, 1, 42},     // one key: constant
        {&ramp, 0, 100},     {&ramp, 0.2f, 100},                      // below the first, at the first
        {&ramp, 0.6f, 200},  {&ramp, 1.0f, 0},    {&ramp, 2.0f, 0},   // at keys, above the last
        {&ramp, 0.4f, 150},  {&ramp, 0.3f, 125},  {&ramp, 0.8f, 100}, // between keys
        {&ramp, 0.61f, 195},                                          // rounded to a whole value
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(c.g->Evaluate(c.t), c.value);
    }
    EXPECT_EQ(TGradient{}.Evaluate(0.5f), 0);   // no keys at all
}

TEST(Gradient, BakingAppliesEachTablesScale)
{
    const TDpsFile effect = Simple(50, 12);
    const TEmitterRecord r = BakeRecord(effect.Records[0], 1000);
    EXPECT_FLOAT_EQ(r.Red[0], 1.0f);
    EXPECT_FLOAT_EQ(r.Green[0], 128.0f / 255);
    EXPECT_FLOAT_EQ(r.Blue[999], 1.0f);
    EXPECT_FLOAT_EQ(r.Red[999], 0.0f);
    EXPECT_FLOAT_EQ(r.Life[500], 1200.0f);        // tenths of a second become milliseconds
    EXPECT_FLOAT_EQ(r.Rate[0], 50.0f / 1000);     // per sample of a 1000 ms effect
    EXPECT_FLOAT_EQ(r.Size[0], 1.0f);             // tenths
    EXPECT_FLOAT_EQ(r.SpreadByLife[999], 1.0f);   // percent
    EXPECT_FLOAT_EQ(r.SpreadByLife[0], 0.0f);
    const TEffectParams p = BakeEffect(effect);
    EXPECT_EQ(p.Duration, 1000);
    EXPECT_FLOAT_EQ(p.EmitRate[700], 1.0f);
}

TEST(Gradient, BakedSampleNIsTheGradientAtNOver999)
{
    // Keys (0, 0), (0.5, 1000), (1, -1000), divided by 4. Worked out by hand:
    //   n = 0    t = 0                                                        0 / 4 = 0
    //   n = 333  t = 1/3: 2/3 of the way from 0 to 1000, round(666.67)    667 / 4 = 166.75
    //   n = 500  t = 0.5005: 0.001 of the way from 1000 to -1000,
    //            1000 + round(-2.002)                                     998 / 4 = 249.5
    //   n = 998  t = 0.998999: 1000 + round(0.997998 x -2000 = -1995.996) -996 / 4 = -249
    //   n = 999  t = 1: the last key                                      -1000 / 4 = -250
    // Sampled at n / 1000 instead, the same rows would read 166.5, 250, -248 and -249.
    const TSampleTable table = BakeGradient(G({{0, 0}, {0.5f, 1000}, {1, -1000}}), 4);
    const std::pair<int, float> samples[] = {{0, 0}, {333, 166.75f}, {500, 249.5f}, {998, -249}, {999, -250}};
    for (const auto &[n, value] : samples)
        EXPECT_FLOAT_EQ(table[std::size_t(n)], value) << n;
}

TEST(Emitter, SpawnsAtItsRateWithSpreadsCentredOnTheBase)
{
    TDpsFile effect = Simple(200, 50);
    TDpsRecord &r = effect.Records[0];
    r.Gradients[GSpeed] = G({{0, 100}});        // 10 units
    r.Gradients[GSpeedSpread] = G({{0, 40}});   // 4: speeds in 8..12
    r.Gradients[GLift] = G({{0, 50}});
    r.Gradients[GLiftSpread] = G({{0, 20}});    // lifts in 4..6
    r.Gradients[GSize] = G({{0, 30}});
    r.Gradients[GSizeSpread] = G({{0, 10}});    // sizes in 2.5..3.5
    r.Gradients[GSpin] = G({{0, 90}});
    r.Gradients[GSpinSpread] = G({{0, 60}});    // spins in 60..120
    r.Gradients[GLifeSpread] = G({{0, 5}});     // lives in 5000..5500
    RandSeed = 12345;
    TEmitter emitter(BakeEffect(effect, {}), 1.0f);
    RunFor(emitter, 500);
    const auto &ps = emitter.Block->Particles;
    EXPECT_NEAR(double(ps.size()), 100.0, 10.0);   // 200 per second for half a second
    float low = 1e9f, high = -1e9f;
    for (const TParticle &p : ps) {
        const float speed = std::sqrt(p.Vx * p.Vx + p.Vy * p.Vy);
        EXPECT_GE(speed, 8.0f - 1e-4f);
        EXPECT_LT(speed, 12.0f);
        EXPECT_GE(p.Vz, 4.0f);
        EXPECT_LT(p.Vz, 6.0f);
        EXPECT_GE(p.BaseSize, 2.5f);
        EXPECT_LT(p.BaseSize, 3.5f);
        EXPECT_GE(p.BaseSpin, 60.0f);
        EXPECT_LT(p.BaseSpin, 120.0f);
        EXPECT_GE(p.Life, 5000);
        EXPECT_LE(p.Life, 5500);
        low = std::min(low, speed);
        high = std::max(high, speed);
    }
    EXPECT_LT(low, 9.0f);    // the spread is used on both sides of the base
    EXPECT_GT(high, 11.0f);
}

TEST(Emitter, ParticlesFollowTheirCurvesFromWhereTheyWereBorn)
{
    TDpsFile effect = Simple(40, 10);   // 1000 ms lives
    effect.Records[0].Gradients[GLift] = G({{0, 100}});   // rises 10 units over its life
    TEmitter emitter(BakeEffect(effect, {}), 2.0f);       // at scale 2: 20 units
    emitter.Update(25, VectorSet4(5, 6, 7, 1), false);
    ASSERT_FALSE(emitter.Block->Particles.empty());
    Age(emitter, 500);
    emitter.Update(1, VectorSet4(100, 100, 100, 1), true);   // the emitter moved away; the particle did not
    const TParticle &p = emitter.Block->Particles[0];
    EXPECT_FLOAT_EQ(p.Origin.x, 5);
    EXPECT_NEAR(p.Position.z, 7 + 20 * 0.5f, 0.1f);
    EXPECT_NEAR(p.Color[0], 0.5f, 0.01f);   // red half way from 255 to 0
    EXPECT_NEAR(p.Color[2], 0.5f, 0.01f);
}

TEST(Emitter, PointEmitterCarriesItsParticles)
{
    TPointEmitter emitter(BakeEffect(Simple(40, 10), {}), 1.0f);
    emitter.Update(25, VectorSet4(0, 0, 0, 1), false);
    ASSERT_FALSE(emitter.Block->Particles.empty());
    emitter.Update(25, VectorSet4(50, 0, 0, 1), true);
    EXPECT_FLOAT_EQ(emitter.Block->Particles[0].Position.x, 50);
}

TEST(Emitter, StoppedEmitterKeepsRefreshingButSpawnsNothing)
{
    TEmitter emitter(BakeEffect(Simple(100, 20), {}), 1.0f);
    RunFor(emitter, 200);
    const std::size_t count = emitter.Block->Particles.size();
    ASSERT_GT(count, 0u);
    const float alphaBefore = emitter.Block->Particles[0].Color[3];
    emitter.Block->Particles[0].Color[3] = -1;   // a refresh writes it again
    RunFor(emitter, 300, true);
    EXPECT_EQ(emitter.Block->Particles.size(), count);
    EXPECT_EQ(emitter.Block->Particles[0].Color[3], alphaBefore);
    EXPECT_EQ(emitter.Age, 500);
}

TEST(Emitter, PlayOnceHoldsAtTheEndWhileItsParticlesLiveOut)
{
    TEmitter once(BakeEffect(Simple(100, 30), {}), 1.0f), looping(BakeEffect(Simple(100, 30), {}), 1.0f);
    once.PlayOnce = true;
    RunFor(once, 1000);
    RunFor(looping, 1000);
    RunFor(once, 500);
    RunFor(looping, 500);
    EXPECT_EQ(once.Age, 1000);          // held at the duration
    EXPECT_EQ(once.TimeIndex, 999);
    EXPECT_LT(looping.Age, 1000);       // wrapped round to start again
    EXPECT_GT(looping.Block->Particles.size(), once.Block->Particles.size());
    const std::size_t held = once.Block->Particles.size();
    RunFor(once, 500);
    EXPECT_EQ(once.Block->Particles.size(), held);   // nothing new...
    Age(once, 3100);
    EXPECT_TRUE(once.Block->Particles.empty());      // ...and the old ones die of age
}

TEST(Emitter, ManualEmitterStringsParticlesAlongThePath)
{
    TManualEmitter emitter(BakeEffect(Simple(400, 10), {}), 1.0f);
    emitter.Update(100, VectorSet4(0, 0, 0, 1), false, 1.0f, VectorSet4(100, 0, 0, 1));
    const auto &ps = emitter.Block->Particles;
    ASSERT_GE(ps.size(), 10u);
    EXPECT_FLOAT_EQ(ps[0].Origin.x, 0);
    EXPECT_GT(ps.back().Origin.x, 50);
    EXPECT_LT(ps[0].Remaining, ps.back().Remaining);   // the earlier ones are older
}

TEST(Emitter, RunawayRateIsCappedPerUpdate)
{
    TDpsFile effect = Simple(2000000000, 10);
    TEmitter emitter(BakeEffect(effect, {}), 1.0f);
    emitter.Update(25, VectorSet4(0, 0, 0, 1), false);
    EXPECT_LE(emitter.Block->Particles.size(), std::size_t(4000));
}

TEST(Sprites, AgeingRemovesTheDeadBySwappingInTheLast)
{
    TEmitter emitter(BakeEffect(Simple(0, 10), {}), 1.0f);
    auto &ps = emitter.Block->Particles;
    for (int remaining : {100, 5, 300, 1, 50}) {
        TParticle p;
        p.Remaining = p.Life = remaining;
        ps.push_back(p);
    }
    TSprites sprites;
    sprites.Add(emitter.Block.get());
    sprites.UpdateAll(5);   // 5 and 1 drop below 1
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(ps[0].Remaining, 95);
    EXPECT_EQ(ps[1].Remaining, 45);    // the last one took the dead one's place
    EXPECT_EQ(ps[2].Remaining, 295);
    sprites.Remove(emitter.Block.get());
    EXPECT_TRUE(sprites.Blocks.empty());
}

TEST(Sprites, EmittersRegisterAndLeaveTheGlobalControl)
{
    TSprites sprites;
    Sprites = &sprites;
    {
        TEmitter templ(BakeEffect(Simple(10, 10), {}), 1.0f);
        const std::unique_ptr<TPointEmitter> instance = TEmitter::CreateFrom<TPointEmitter>(templ, 3.0f);
        EXPECT_EQ(sprites.Blocks.size(), 2u);
        EXPECT_EQ(instance->Params, templ.Params);   // shared, not copied
        EXPECT_FLOAT_EQ(instance->Block->Scale, 3.0f);
    }
    EXPECT_TRUE(sprites.Blocks.empty());
    Sprites = nullptr;
}

TEST(DpsFile, LyingFilesAreRefusedNamingTheFile)
{
    const std::vector<std::uint8_t> good = WriteDps(Simple(10, 10));
    EXPECT_EQ(WriteDps(ParseDps(good, "x.dps")), good);
    // Every cut of a valid file is refused, never read past its end.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        try {
            ParseDps(cut, "Cut.dps");
            ADD_FAILURE() << "accepted a file cut at " << n;
        } catch (const std::runtime_error &e) {
            ASSERT_EQ(std::string(e.what()).rfind("Effect \"Cut.dps\" is damaged: ", 0), 0u) << e.what();
        }
    }
    auto patched = [&](std::size_t at, std::int32_t v) {
        std::vector<std::uint8_t> b = good;
        for (int i = 0; i < 4; ++i)
            b[at + std::size_t(i)] = std::uint8_t(std::uint32_t(v) >> (8 * i));
        return b;
    };
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string message;
    } cases[] = {
        {patched(4, -1), "the effect name has a negative length"},
        {patched(4, 1 << 30), "the file ends inside the effect name"},
        {patched(12, 0), "the duration is 0 tenths of a second"},
        {patched(20, 0x7FFFFFFF), "the file ends inside the gradient emit-rate"},
        {patched(20, -3), "the gradient emit-rate has a negative count"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            ParseDps(c.bytes, "Bad.dps");
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), "Effect \"Bad.dps\" is damaged: " + c.message);
        }
    }
}

TEST(DpsFileDeathTest, OtherVersionsAreReportedThroughTheErrorBox)
{
    const TTempDir temp("dps-version");
    const fs::path path = temp.Path / "Old.dps";
    TDpsFile effect = Simple(10, 10);
    effect.Version = 4;
    const std::vector<std::uint8_t> bytes = WriteDps(effect);
    WriteBytes(path, bytes);
    BatchMode = true;   // the box answers Abort
    EXPECT_EXIT(LoadDpsFile(path.string()), testing::ExitedWithCode(ExitAborted),
                "Need File Version 5. Version of file \"" + path.string() + "\" is 4. Please, use correct version.");
}

TEST(EffectText, GameEffectsRoundTripThroughTheirDescription)
{
    int seen = 0;
    for (const fs::directory_entry &item : fs::directory_iterator(ZEPHRONA_EFFECTS_DIR)) {
        if (item.path().extension() != ".effect")
            continue;
        ++seen;
        SCOPED_TRACE(item.path().filename().string());
        std::ifstream in(item.path());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const TDpsFile effect = ParseEffectText(text, item.path().string());
        const std::vector<std::uint8_t> bytes = WriteDps(effect);
        EXPECT_EQ(WriteDps(ParseEffectText(PrintEffectText(ParseDps(bytes, "x")), "dump")), bytes);
        EXPECT_FALSE(effect.Records.empty());
    }
    EXPECT_EQ(seen, 21);
}

TEST(EffectText, MistakesAreNamedWithTheirLine)
{
    struct Case {
        const char *text;
        const char *message;
    } cases[] = {
        {"effect \"a\"\nduraton 5\n", "e.txt:2: unknown effect setting \"duraton\""},
        {"effect \"a\"\nemit-rate 0=1 x\n", "e.txt:2: \"x\" is not a position=value key"},
        {"effect \"a\"\nrecord \"r\"\n colour 0=1,2\n", "e.txt:3: \"0=1,2\" is not a position=red,green,blue key"},
        {"effect \"a\"\nrecord \"r\"\n", "e.txt: the record \"r\" has no \"end\""},
        {"duration 5\n", "e.txt: no \"effect\" line names the effect"},
        {"effect \"a\nduration 5\n", "e.txt:1: a quoted text has no closing quote"},
        {"effect \"a\"\nduration 0\n", "e.txt: the duration must be at least 1 (tenths of a second)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseEffectText(c.text, "e.txt");
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}
