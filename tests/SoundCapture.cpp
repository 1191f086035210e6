#include "tests/SoundCapture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

TCaptureSetup::TCaptureSetup(const std::string &tag)
    : Dir(fs::temp_directory_path() / ("zephrona-" + tag + "-" + std::to_string(::getpid()))),
      WaveDir(Dir / "capture"), WaveFile(WaveDir / "out.wav")
{
    fs::remove_all(Dir);
    fs::create_directories(WaveDir);
    const fs::path conf = Dir / "alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = wave\nhrtf = false\n[wave]\nfile = " << WaveFile.string() << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
}

TCaptureSetup::~TCaptureSetup() { fs::remove_all(Dir); }

const TCaptureSetup &CaptureSetup()
{
    static const TCaptureSetup setup("sound");
    return setup;
}

TCapture ReadCapture()
{
    TCapture capture;
    SF_INFO info{};
    SNDFILE *file = sf_open(CaptureSetup().WaveFile.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << "no recording";
    if (!file)
        return capture;
    capture.Rate = info.samplerate;
    capture.Channels = info.channels;
    capture.Samples.resize(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_float(file, capture.Samples.data(), info.frames);
    sf_close(file);
    return capture;
}
