#include "assets/DPSEffect.h"

#include "assets/AssetDevice.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Random.h"
#include "data/Extractor.h"

#include <algorithm>
#include <cmath>

TSprites *Sprites = nullptr;

namespace {

int Round(double v) { return int(std::lround(v)); }

int Clamp999(int n) { return std::clamp(n, 0, SampleCount - 1); }

// The folder part of a game path, with its trailing separator.
std::string FolderOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

TGradient Channel(const std::vector<TColorKey> &keys, std::int32_t TColorKey::*channel)
{
    TGradient g;
    for (const TColorKey &key : keys)
        g.Keys.push_back({key.Position, key.*channel});
    return g;
}

} // namespace

TSampleTable BakeGradient(const TGradient &gradient, float divisor)
{
    TSampleTable table{};
    for (int n = 0; n < SampleCount; ++n)
        table[std::size_t(n)] = float(gradient.Evaluate(float(n) / 999.0f)) / divisor;
    return table;
}

TEffectParams BakeEffect(const TDpsFile &effect)
{
    TEffectParams p;
    p.Duration = effect.Duration * 100;
    p.ClipRadius = float(effect.ClipRadius);
    p.EmitRate = BakeGradient(effect.Effect[GEmitRate], 100);
    p.LifeScale = BakeGradient(effect.Effect[GLifeScale], 100);
    p.SizeScale = BakeGradient(effect.Effect[GSizeScale], 100);
    p.SpreadScale = BakeGradient(effect.Effect[GSpreadScale], 100);
    p.RiseScale = BakeGradient(effect.Effect[GRiseScale], 100);
    p.RotationScale = BakeGradient(effect.Effect[GRotationScale], 100);
    p.AlphaScale = BakeGradient(effect.Effect[GAlphaScale], 100);
    return p;
}

TEmitterRecord BakeRecord(const TDpsRecord &record, int durationMs)
{
    TEmitterRecord r;
    r.Layer = record.Layer;
    r.Additive = record.Additive;
    r.Red = BakeGradient(Channel(record.Colour, &TColorKey::Red), 255);
    r.Green = BakeGradient(Channel(record.Colour, &TColorKey::Green), 255);
    r.Blue = BakeGradient(Channel(record.Colour, &TColorKey::Blue), 255);
    r.Alpha = BakeGradient(record.Alpha, 255);
    const auto &g = record.Gradients;
    const float duration = float(std::max(1, durationMs));
    r.AlphaByTime = BakeGradient(g[GAlphaByTime], 100);
    r.Life = BakeGradient(g[GLife], 0.01f);
    r.Rate = BakeGradient(g[GRate], duration);
    r.Size = BakeGradient(g[GSize], 10);
    r.Speed = BakeGradient(g[GSpeed], 10);
    r.Lift = BakeGradient(g[GLift], 10);
    r.Spin = BakeGradient(g[GSpin], 1);
    r.LifeSpread = BakeGradient(g[GLifeSpread], 0.01f);
    r.RateSpread = BakeGradient(g[GRateSpread], duration);
    r.SizeSpread = BakeGradient(g[GSizeSpread], 10);
    r.SpeedSpread = BakeGradient(g[GSpeedSpread], 10);
    r.LiftSpread = BakeGradient(g[GLiftSpread], 10);
    r.SpinSpread = BakeGradient(g[GSpinSpread], 1);
    r.SizeByLife = BakeGradient(g[GSizeByLife], 100);
    r.SpreadByLife = BakeGradient(g[GSpreadByLife], 100);
    r.RiseByLife = BakeGradient(g[GRiseByLife], 100);
    r.SpinByLife = BakeGradient(g[GSpinByLife], 100);
    // "x 100" tables hold whole milliseconds: undo the float error of dividing by 0.01.
    for (TSampleTable *t : {&r.Life, &r.LifeSpread})
        for (float &v : *t)
            v = std::round(v);
    return r;
}

TDpsFile LoadDpsFile(const std::string &fileName)
{
    const TMemFile file(fileName, Extractor);
    TDpsFile effect = ParseDps(file.Data, fileName);
    ErrorBox(effect.Version != DpsVersion, "Need File Version 5. Version of file \"" + fileName + "\" is " +
                                                std::to_string(effect.Version) + ". Please, use correct version.");
    return effect;
}

TBakedEffect BakeEffect(const TDpsFile &effect, const std::vector<int> &textures)
{
    auto records = std::make_shared<std::vector<TEmitterRecord>>();
    for (std::size_t i = 0; i < effect.Records.size(); ++i) {
        records->push_back(BakeRecord(effect.Records[i], effect.Duration * 100));
        records->back().Texture = i < textures.size() ? textures[i] : 0;
    }
    return {std::make_shared<TEffectParams>(BakeEffect(effect)), std::move(records)};
}

namespace {

TBakedEffect LoadEffect(const std::string &fileName)
{
    const TDpsFile effect = LoadDpsFile(fileName);
    std::vector<int> textures;
    for (const TDpsRecord &record : effect.Records)
        textures.push_back(TextureLib ? TextureLib->Load(FolderOf(fileName) + record.Texture, TextureLinearMipmapLinear, TextureLinear)
                                      : 0);
    return BakeEffect(effect, textures);
}

} // namespace

// ---- Emitters -----------------------------------------------------------------------------------

TEmitter::TEmitter(const std::string &fileName, float scale) : TEmitter(LoadEffect(fileName), scale) {}

TEmitter::TEmitter(const TBakedEffect &effect, float scale)
    : Block(std::make_unique<TSpriteBlock>()), Params(effect.Params), Records(effect.Records)
{
    Block->ClipRadius = Params->ClipRadius;
    Block->Clipped = Params->ClipRadius > 0.1f;
    Block->Scale = scale;
    Accumulators.assign(Records->size(), 0.0f);
    if (Sprites)
        Sprites->Add(Block.get());
}

TEmitter::~TEmitter()
{
    if (Sprites && Block)
        Sprites->Remove(Block.get());
}

bool TEmitter::Spawning(bool stop) const { return !stop && !(PlayOnce && Age >= Params->Duration); }

void TEmitter::Accumulate(std::size_t r, int dt, float multiplier)
{
    const TEmitterRecord &record = (*Records)[r];
    const int span = Round(double(dt) / Params->Duration * 999);
    for (int n = std::max(0, TimeIndex - span); n <= TimeIndex; ++n) {
        const std::size_t i = std::size_t(n);
        const float spread = float(Random(Round(record.RateSpread[i] * 1000))) / 1000;
        Accumulators[r] += (spread + record.Rate[i]) * Params->EmitRate[i] * multiplier;
    }
}

void TEmitter::Advance(int dt, const TVector4 &position, bool stop, float multiplier)
{
    Block->Position = position;
    Age += dt;
    if (Age < Params->Duration) {
        TimeIndex = Clamp999(Round(double(Age) / Params->Duration * 999));
        if (!stop)
            for (std::size_t r = 0; r < Records->size(); ++r)
                Accumulate(r, dt, multiplier);
    } else if (!PlayOnce) {
        Age -= Params->Duration;   // the effect starts its curves again
    } else {
        Age = Params->Duration;    // held at its end: no more particles
        TimeIndex = SampleCount - 1;
    }
}

TParticle &TEmitter::Spawn(const TEmitterRecord &r, const TVector4 &at)
{
    const std::size_t t = std::size_t(TimeIndex);
    TParticle p;
    p.Record = &r;
    p.Texture = r.Texture;
    p.Origin = at;
    p.Position = at;
    p.Life = p.Remaining = Round((r.Life[t] + float(Random(Round(r.LifeSpread[t] * 1000))) / 1000) * Params->LifeScale[t]);
    p.Color[0] = r.Red[0];
    p.Color[1] = r.Green[0];
    p.Color[2] = r.Blue[0];
    p.Color[3] = r.Alpha[0] * Params->AlphaScale[t] * r.AlphaByTime[t];
    // Every spread is centred on its base value.
    const float speed = r.Speed[t] - r.SpeedSpread[t] / 2 + float(Random(Round(r.SpeedSpread[t] * 10000))) / 10000;
    const double angle = M_PI * Random(360) / 180;
    p.Vx = float(speed * std::cos(angle));
    p.Vy = float(speed * std::sin(angle));
    p.Vz = r.Lift[t] - r.LiftSpread[t] / 2 + float(Random(Round(r.LiftSpread[t] * 10000))) / 10000;
    p.BaseSize = r.Size[t] - r.SizeSpread[t] / 2 + float(Random(Round(r.SizeSpread[t] * 1000))) / 1000;
    p.BaseSpin = r.Spin[t] - r.SpinSpread[t] / 2 + float(Random(Round(r.SpinSpread[t] * 100))) / 100;
    p.Size = p.BaseSize;
    Block->Particles.push_back(p);
    return Block->Particles.back();
}

void TEmitter::Refresh(TAnchor anchor, const TVector4 &lineFrom, const TVector4 &lineTo)
{
    const TEffectParams &e = *Params;
    const std::size_t t = std::size_t(TimeIndex);
    for (TParticle &p : Block->Particles) {
        const TEmitterRecord &r = *p.Record;
        const int elapsed = p.Life - p.Remaining;
        const std::size_t k = std::size_t(Clamp999(p.Life > 0 ? Round(double(elapsed) / p.Life * 999) : SampleCount - 1));
        p.Color[0] = r.Red[k];
        p.Color[1] = r.Green[k];
        p.Color[2] = r.Blue[k];
        p.Color[3] = r.Alpha[k] * e.AlphaScale[t] * r.AlphaByTime[t];
        p.Size = p.BaseSize * e.SizeScale[t] * r.SizeByLife[k];
        p.Angle = p.BaseSpin * e.RotationScale[t] * r.SpinByLife[k];
        TVector4 at = p.Origin;
        if (anchor == TAnchor::Block) {
            at = Block->Position;
        } else if (anchor == TAnchor::Line) {
            const float f = float(elapsed) / float(e.Duration) * 10;
            at.x = lineFrom.x + (lineTo.x - lineFrom.x) * f;
            at.y = lineFrom.y + (lineTo.y - lineFrom.y) * f;
            at.z = lineFrom.z + (lineTo.z - lineFrom.z) * f;
        }
        const float h = r.SpreadByLife[k] * e.SpreadScale[t] * Block->Scale;
        const float v = r.RiseByLife[k] * e.RiseScale[t] * Block->Scale;
        p.Position.x = at.x + p.Vx * h;
        p.Position.y = at.y + p.Vy * h;
        p.Position.z = at.z + p.Vz * v;
        p.Position.w = at.w;
    }
}

int TEmitter::TakeSpawnCount(std::size_t r)
{
    float &acc = Accumulators[r];
    if (!(acc >= 1))
        return 0;
    // A runaway rate (a damaged or careless effect) must not spawn without end in one frame.
    const int count = acc >= float(MaxSpawnPerUpdate) ? MaxSpawnPerUpdate : int(acc);
    acc = acc >= float(MaxSpawnPerUpdate) ? acc - std::floor(acc) : acc - float(count);
    return count;
}

void TEmitter::Update(int dt, const TVector4 &position, bool stop)
{
    Advance(dt, position, stop, 1);
    if (Spawning(stop))
        for (std::size_t r = 0; r < Records->size(); ++r)
            for (int n = TakeSpawnCount(r); n > 0; --n)
                Spawn((*Records)[r], Block->Position);
    Refresh(TAnchor::Origin);
}

void TPointEmitter::Update(int dt, const TVector4 &position, bool stop)
{
    Advance(dt, position, stop, 1);
    if (Spawning(stop))
        for (std::size_t r = 0; r < Records->size(); ++r)
            for (int n = TakeSpawnCount(r); n > 0; --n)
                Spawn((*Records)[r], Block->Position);
    Refresh(TAnchor::Block);
}

void TLinearEmitter::Update(int dt, const TVector4 &position, bool stop) { Update(dt, position, stop, position); }

void TLinearEmitter::Update(int dt, const TVector4 &position, bool stop, const TVector4 &towards)
{
    Advance(dt, position, stop, 1);
    if (Spawning(stop))
        for (std::size_t r = 0; r < Records->size(); ++r)
            for (int n = TakeSpawnCount(r); n > 0; --n)
                Spawn((*Records)[r], Block->Position);
    Refresh(TAnchor::Line, position, towards);
}

void TManualEmitter::Update(int dt, const TVector4 &position, bool stop) { Update(dt, position, stop, 1, position); }

void TManualEmitter::Update(int dt, const TVector4 &from, bool stop, float multiplier, const TVector4 &to)
{
    Advance(dt, from, stop, multiplier);
    if (Spawning(stop))
        for (std::size_t r = 0; r < Records->size(); ++r) {
            const int c = Round(Accumulators[r]);
            const int count = TakeSpawnCount(r);
            // The particles of this update are strung along the frame's path, the earlier ones older.
            for (int i = 0; i < count; ++i) {
                const float f = float(i) / float(c);
                TVector4 at = from;
                at.x += (to.x - from.x) * f;
                at.y += (to.y - from.y) * f;
                at.z += (to.z - from.z) * f;
                TParticle &p = Spawn((*Records)[r], at);
                p.Remaining -= Round((1 - f) * dt);
            }
        }
    Refresh(TAnchor::Origin);
}

// ---- The particle control -----------------------------------------------------------------------

void TSprites::Add(TSpriteBlock *block)
{
    block->Slot = int(Blocks.size());
    Blocks.push_back(block);
}

void TSprites::Remove(TSpriteBlock *block)
{
    // Thousands of blocks live in a battle and shots come and go every frame: the last block takes
    // the slot of the one leaving instead of every later block moving down.
    const int slot = block->Slot;
    if (slot >= 0 && slot < int(Blocks.size()) && Blocks[std::size_t(slot)] == block) {
        Blocks[std::size_t(slot)] = Blocks.back();
        Blocks[std::size_t(slot)]->Slot = slot;
        Blocks.pop_back();
    } else {
        std::erase(Blocks, block);
    }
    block->Slot = -1;
}

void TSprites::UpdateAll(int dt)
{
    for (TSpriteBlock *block : Blocks) {
        std::vector<TParticle> &list = block->Particles;
        for (std::size_t i = 0; i < list.size();) {
            list[i].Remaining -= dt;
            if (list[i].Remaining < 1) {
                list[i] = list.back();   // order is not kept
                list.pop_back();
            } else {
                ++i;
            }
        }
    }
}

void TSprites::DrawAll(int layer) { AssetDevice().DrawSprites(Blocks, layer); }
