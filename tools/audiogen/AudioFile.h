#pragma once
// Writing the generated sounds (16-bit PCM WAV, Ogg Vorbis) and reading the speech synthesiser's
// output. The writers put no time stamps or random stream numbers into the files, so the same
// samples always give the same bytes.

#include <string>
#include <vector>

// Samples in -1..1 (clipped), interleaved when Channels is 2; throws when the file cannot be written.
void WriteWav(const std::string &path, const std::vector<double> &samples, int channels, int rate);
// Quality 0..1 as libvorbis takes it (0.3 is about 112 kbit/s for 44.1 kHz stereo).
void WriteOggVorbis(const std::string &path, const std::vector<double> &samples, int channels, int rate,
                    double quality);

struct TSoundData {
    std::vector<double> Samples;   // mono: several channels are averaged
    int                 Rate = 0;
};
// Reads any file libsndfile understands; throws naming the file when it cannot.
TSoundData ReadSoundFile(const std::string &path);
