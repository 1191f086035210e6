#include "sound/Decoder.h"

#include "core/Files.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {

// The byte block libsndfile reads through its virtual I/O; the position never leaves 0..Size.
struct TMemoryReader {
    const std::uint8_t *Data;
    sf_count_t          Size;
    sf_count_t          Pos = 0;
};

sf_count_t MemoryLength(void *user) { return static_cast<TMemoryReader *>(user)->Size; }

sf_count_t MemorySeek(sf_count_t offset, int whence, void *user)
{
    auto *reader = static_cast<TMemoryReader *>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = reader->Pos;
    else if (whence == SEEK_END)
        base = reader->Size;
    reader->Pos = std::clamp<sf_count_t>(base + offset, 0, reader->Size);
    return reader->Pos;
}

sf_count_t MemoryRead(void *destination, sf_count_t count, void *user)
{
    auto *reader = static_cast<TMemoryReader *>(user);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, reader->Size - reader->Pos);
    std::copy_n(reader->Data + reader->Pos, n, static_cast<std::uint8_t *>(destination));
    reader->Pos += n;
    return n;
}

sf_count_t MemoryWrite(const void *, sf_count_t, void *) { return 0; }

sf_count_t MemoryTell(void *user) { return static_cast<TMemoryReader *>(user)->Pos; }

// libsndfile reads a 16-bit sample as the sample over 32768; the way back uses the same scale, so a
// 16-bit file decodes to exactly its own samples. Louder floats clip at full scale.
std::int16_t ToPcm16(float value)
{
    if (std::isnan(value))
        return 0;
    return std::int16_t(std::clamp(std::lrint(double(value) * 32768.0), -32768L, 32767L));
}

// Reads every frame. The header's frame count is not trusted for the allocation: frames are read
// in blocks until the decoder has no more. Samples are read as floats and clipped, so a decoded
// Vorbis peak above full scale does not wrap around.
bool ReadAll(SNDFILE *file, const SF_INFO &info, TDecodedSound &sound)
{
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        return false;
    }
    const std::size_t channels = std::size_t(info.channels);
    constexpr sf_count_t BlockFrames = 4096;
    std::vector<float> block(std::size_t(BlockFrames) * channels);
    sound.Pcm.clear();
    sound.Channels = info.channels <= 2 ? info.channels : 1;
    sound.Rate = info.samplerate;
    for (;;) {
        const sf_count_t frames = sf_readf_float(file, block.data(), BlockFrames);
        if (frames <= 0)
            break;
        for (sf_count_t f = 0; f < frames; ++f) {
            const float *frame = block.data() + std::size_t(f) * channels;
            if (channels <= 2) {
                for (std::size_t c = 0; c < channels; ++c)
                    sound.Pcm.push_back(ToPcm16(frame[c]));
                continue;
            }
            float sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += frame[c];
            sound.Pcm.push_back(ToPcm16(sum / float(channels)));
        }
    }
    sf_close(file);
    return true;
}

} // namespace

bool DecodeSoundMemory(const std::uint8_t *data, std::size_t size, TDecodedSound &sound)
{
    if (!data || size == 0)
        return false;
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    TMemoryReader reader{data, sf_count_t(size)};
    SF_INFO info{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, &reader);
    return file && ReadAll(file, info, sound);
}

bool DecodeSoundFile(const std::string &diskPath, TDecodedSound &sound)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(diskPath.c_str(), SFM_READ, &info);
    return file && ReadAll(file, info, sound);
}

bool DecodeSoundSource(const char *nameOrData, bool inMemory, int offset, int length, TDecodedSound &sound)
{
    if (!nameOrData)
        return false;
    if (inMemory)
        return offset >= 0 && length > 0 &&
               DecodeSoundMemory(reinterpret_cast<const std::uint8_t *>(nameOrData) + offset, std::size_t(length), sound);
    return DecodeSoundFile(DiskPath(nameOrData), sound);
}
