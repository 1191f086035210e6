#include "tools/audiogen/AudioFile.h"

#include <sndfile.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

struct TFileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

TFilePtr OpenForWriting(const std::string &path)
{
    TFilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("Cannot write \"" + path + "\"");
    return file;
}

void PutLe(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void PutText(std::vector<std::uint8_t> &out, const char *text)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(text[i]));
}

std::int16_t ToPcm16(double x)
{
    return std::int16_t(std::lround(std::clamp(x, -1.0, 1.0) * 32767.0));
}

// Every byte run ends up in the file, or the write is reported as failed.
void WriteAllOrThrow(std::FILE *file, const void *data, std::size_t size, const std::string &path)
{
    if (size && std::fwrite(data, 1, size, file) != size)
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

} // namespace

void WriteWav(const std::string &path, const std::vector<double> &samples, int channels, int rate)
{
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    PutText(bytes, "RIFF");
    PutLe(bytes, 36 + dataBytes, 4);
    PutText(bytes, "WAVE");
    PutText(bytes, "fmt ");
    PutLe(bytes, 16, 4);
    PutLe(bytes, 1, 2);                                   // integer PCM
    PutLe(bytes, std::uint32_t(channels), 2);
    PutLe(bytes, std::uint32_t(rate), 4);
    PutLe(bytes, std::uint32_t(rate * channels * 2), 4);  // bytes per second
    PutLe(bytes, std::uint32_t(channels * 2), 2);         // bytes per frame
    PutLe(bytes, 16, 2);
    PutText(bytes, "data");
    PutLe(bytes, dataBytes, 4);
    for (double s : samples)
        PutLe(bytes, std::uint16_t(ToPcm16(s)), 2);
    TFilePtr file = OpenForWriting(path);
    WriteAllOrThrow(file.get(), bytes.data(), bytes.size(), path);
    if (std::fflush(file.get()) != 0)
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

void WriteOggVorbis(const std::string &path, const std::vector<double> &samples, int channels, int rate,
                    double quality)
{
    TFilePtr file = OpenForWriting(path);
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, float(quality)) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("The Vorbis encoder refuses " + std::to_string(channels) + " channels at " +
                                 std::to_string(rate) + " Hz");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Zephrona: Sky Rampart");
    vorbis_dsp_state state;
    vorbis_block block;
    vorbis_analysis_init(&state, &info);
    vorbis_block_init(&state, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x5A455048);   // a fixed stream number keeps the file reproducible
    ogg_page page;
    ogg_packet packet;

    auto writePage = [&] {
        WriteAllOrThrow(file.get(), page.header, std::size_t(page.header_len), path);
        WriteAllOrThrow(file.get(), page.body, std::size_t(page.body_len), path);
    };
    auto drain = [&] {
        while (vorbis_analysis_blockout(&state, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&state, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    writePage();
            }
        }
    };

    try {
        ogg_packet header, headerComment, headerCode;
        vorbis_analysis_headerout(&state, &comment, &header, &headerComment, &headerCode);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &headerComment);
        ogg_stream_packetin(&stream, &headerCode);
        while (ogg_stream_flush(&stream, &page))
            writePage();

        const std::size_t frames = samples.size() / std::size_t(channels);
        constexpr std::size_t Chunk = 4096;
        for (std::size_t start = 0; start < frames; start += Chunk) {
            const std::size_t n = std::min(Chunk, frames - start);
            float **buffer = vorbis_analysis_buffer(&state, int(n));
            for (std::size_t f = 0; f < n; ++f)
                for (int c = 0; c < channels; ++c)
                    buffer[c][f] = float(std::clamp(samples[(start + f) * std::size_t(channels) + std::size_t(c)], -1.0, 1.0));
            vorbis_analysis_wrote(&state, int(n));
            drain();
        }
        vorbis_analysis_wrote(&state, 0);
        drain();
        while (ogg_stream_flush(&stream, &page))
            writePage();
    } catch (...) {
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&state);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
        throw;
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&state);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    if (std::fflush(file.get()) != 0)
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

TSoundData ReadSoundFile(const std::string &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw std::runtime_error("Cannot read the sound \"" + path + "\": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        throw std::runtime_error("The sound \"" + path + "\" has no channels");
    }
    TSoundData sound;
    sound.Rate = info.samplerate;
    std::vector<double> block(4096 * std::size_t(info.channels));
    for (;;) {
        const sf_count_t frames = sf_readf_double(file, block.data(), 4096);
        if (frames <= 0)
            break;
        for (sf_count_t f = 0; f < frames; ++f) {
            double sum = 0;
            for (int c = 0; c < info.channels; ++c)
                sum += block[std::size_t(f) * std::size_t(info.channels) + std::size_t(c)];
            sound.Samples.push_back(sum / info.channels);
        }
    }
    sf_close(file);
    return sound;
}
