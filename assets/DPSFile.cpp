#include "assets/DPSFile.h"

#include "core/Bytes.h"

#include <cmath>
#include <cstring>

namespace {

std::string ReadString(TByteReader &in, const std::string &field) { return in.String(field); }

std::int32_t ReadCount(TByteReader &in, std::uint64_t itemSize, const std::string &field)
{
    const std::int32_t count = in.Int(field + " count");
    if (count < 0)
        in.Fail(field + " has a negative count");
    // The items must fit in what is left, so a lying count never makes us allocate or read blindly.
    in.Need(std::uint64_t(count) * itemSize, field);
    return count;
}

TGradient ReadGradient(TByteReader &in, const std::string &field)
{
    TGradient g;
    g.Keys.resize(std::size_t(ReadCount(in, 8, field)));
    for (TGradientKey &key : g.Keys) {
        key.Position = in.Float(field);
        key.Value = in.Int(field);
    }
    return g;
}

void WriteGradient(TByteWriter &out, const TGradient &g)
{
    out.Int(std::int32_t(g.Keys.size()));
    for (const TGradientKey &key : g.Keys) {
        out.Float(key.Position);
        out.Int(key.Value);
    }
}

} // namespace

std::int32_t TGradient::Evaluate(float t) const
{
    const int count = int(Keys.size());
    if (count == 0)
        return 0;
    int i = 0;
    while (i < count - 1 && Keys[std::size_t(i)].Position < t)
        ++i;
    if (Keys[std::size_t(i)].Position >= t) {
        --i;
        if (i < 0)
            return Keys[0].Value;
    }
    if (i < count - 1) {
        const TGradientKey &a = Keys[std::size_t(i)], &b = Keys[std::size_t(i) + 1];
        const float span = b.Position - a.Position;
        const double f = span != 0 ? double(t - a.Position) / span : 0.0;
        return std::int32_t(std::lround(f * (double(b.Value) - a.Value))) + a.Value;
    }
    return Keys[std::size_t(i)].Value;
}

TDpsFile ParseDps(const std::vector<std::uint8_t> &bytes, const std::string &fileName)
{
    TByteReader in(bytes, "Effect \"" + fileName + "\" is damaged: ");
    TDpsFile effect;
    effect.Version = in.Int("the version");
    effect.Name = ReadString(in, "the effect name");
    effect.Duration = in.Int("the duration");
    if (effect.Duration < 1)
        in.Fail("the duration is " + std::to_string(effect.Duration) + " tenths of a second");
    effect.ClipRadius = in.Int("the clip radius");
    for (std::size_t i = 0; i < DpsEffectGradientCount; ++i)
        effect.Effect[i] = ReadGradient(in, std::string("the gradient ") + DpsEffectGradientNames[i]);
    // The smallest record: two empty strings, five empty gradients per colour/alpha/..., two bytes.
    constexpr std::uint64_t minimumRecord = 4 + 4 + 4 + 4 + 2 + 4 * DpsRecordGradientCount;
    effect.Records.resize(std::size_t(ReadCount(in, minimumRecord, "the emitter records")));
    for (std::size_t r = 0; r < effect.Records.size(); ++r) {
        TDpsRecord &record = effect.Records[r];
        const std::string where = "emitter record " + std::to_string(r) + ": ";
        record.Name = ReadString(in, where + "the name");
        record.Texture = ReadString(in, where + "the texture name");
        record.Colour.resize(std::size_t(ReadCount(in, 16, where + "the colour gradient")));
        for (TColorKey &key : record.Colour) {
            key.Position = in.Float(where + "the colour gradient");
            key.Red = in.Int(where + "the colour gradient");
            key.Green = in.Int(where + "the colour gradient");
            key.Blue = in.Int(where + "the colour gradient");
        }
        record.Alpha = ReadGradient(in, where + "the gradient alpha");
        in.Bytes(&record.Layer, 1, where + "the layer");
        in.Bytes(&record.Additive, 1, where + "the additive flag");
        for (std::size_t i = 0; i < DpsRecordGradientCount; ++i)
            record.Gradients[i] = ReadGradient(in, where + "the gradient " + DpsRecordGradientNames[i]);
    }
    return effect;
}

std::vector<std::uint8_t> WriteDps(const TDpsFile &effect)
{
    TByteWriter w;
    w.Int(effect.Version);
    w.String(effect.Name);
    w.Int(effect.Duration);
    w.Int(effect.ClipRadius);
    for (const TGradient &g : effect.Effect)
        WriteGradient(w, g);
    w.Int(std::int32_t(effect.Records.size()));
    for (const TDpsRecord &record : effect.Records) {
        w.String(record.Name);
        w.String(record.Texture);
        w.Int(std::int32_t(record.Colour.size()));
        for (const TColorKey &key : record.Colour) {
            w.Float(key.Position);
            w.Int(key.Red);
            w.Int(key.Green);
            w.Int(key.Blue);
        }
        WriteGradient(w, record.Alpha);
        w.Out.push_back(record.Layer);
        w.Out.push_back(record.Additive);
        for (const TGradient &g : record.Gradients)
            WriteGradient(w, g);
    }
    return std::move(w.Out);
}
