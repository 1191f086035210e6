#pragma once
// Sound decoding for the audio layer: WAV, Ogg Vorbis and the other formats libsndfile reads, from a
// block of memory or from a file, into 16-bit samples ready for the output.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TDecodedSound {
    std::vector<std::int16_t> Pcm;   // interleaved frames
    int                       Channels = 0;   // 1 or 2: more channels are mixed down to mono
    int                       Rate = 0;       // frames per second
};

// False when the bytes are not a sound libsndfile can read.
bool DecodeSoundMemory(const std::uint8_t *data, std::size_t size, TDecodedSound &sound);
// False when the file cannot be opened or decoded. DiskPath is a path on the disk.
bool DecodeSoundFile(const std::string &diskPath, TDecodedSound &sound);
// The audio output's way in: Length bytes at NameOrData + Offset when InMemory, else the file at the
// game path NameOrData. False for a null source, a bad block and anything that does not decode.
bool DecodeSoundSource(const char *nameOrData, bool inMemory, int offset, int length, TDecodedSound &sound);
