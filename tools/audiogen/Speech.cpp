#include "tools/audiogen/Speech.h"

#include "tools/audiogen/AudioFile.h"
#include "tools/audiogen/Dsp.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>

extern char **environ;

std::vector<TSpeechLine> ReadSpeechRecipe(const TRecipeReader &recipe)
{
    std::vector<TSpeechLine> lines;
    for (const TRecipeLine &line : recipe.Lines()) {
        if (line.Words[0] != "speech")
            recipe.Fail(line, "unknown setting \"" + line.Words[0] + "\"; lines start with \"speech\"");
        const auto bar = line.Rest.find('|');
        if (bar == std::string::npos)
            recipe.Fail(line, "a speech line is \"speech NAME [VOICE [SPEED [PITCH]]] | TEXT\"");
        TRecipeLine head = line;
        head.Words.resize(1);
        std::istringstream before(line.Rest.substr(0, bar));
        for (std::string word; before >> word;)
            head.Words.push_back(word);
        recipe.ExpectArgs(head, 1, 4);
        TSpeechLine speech;
        speech.Name = head.Words[1];
        if (head.Words.size() > 2)
            speech.Voice = head.Words[2];
        if (head.Words.size() > 3)
            speech.Speed = std::clamp(recipe.Integer(head, 3), 80, 450);
        if (head.Words.size() > 4)
            speech.Pitch = std::clamp(recipe.Integer(head, 4), 0, 99);
        const std::string text = line.Rest.substr(bar + 1);
        const auto b = text.find_first_not_of(" \t");
        if (b == std::string::npos)
            recipe.Fail(line, "the speech line \"" + speech.Name + "\" has no text");
        speech.Text = text.substr(b);
        for (const TSpeechLine &other : lines)
            if (other.Name == speech.Name)
                recipe.Fail(line, "the speech \"" + speech.Name + "\" is already made above");
        lines.push_back(std::move(speech));
    }
    return lines;
}

std::vector<double> SpeakLine(const TSpeechLine &line, const std::string &espeakPath, const std::string &workDir,
                              int &rate)
{
    const std::string scratch = workDir + "/." + line.Name + ".raw.wav";
    const std::string speed = std::to_string(line.Speed);
    const std::string pitch = std::to_string(line.Pitch);
    std::vector<std::string> args = {espeakPath, "-v", line.Voice, "-s", speed, "-p", pitch, "-w", scratch, line.Text};
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, espeakPath.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("Cannot start the speech synthesiser \"" + espeakPath + "\"");
    int status = 0;
    const bool spoke = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // The scratch file never stays behind in the output folder, whatever happened.
    TSoundData sound;
    try {
        if (!spoke)
            throw std::runtime_error("The speech synthesiser failed on \"" + line.Name + "\"");
        sound = ReadSoundFile(scratch);
    } catch (...) {
        std::remove(scratch.c_str());
        throw;
    }
    std::remove(scratch.c_str());
    rate = sound.Rate;
    return sound.Samples;
}

std::vector<double> RadioVoice(const std::vector<double> &voice, int rate, unsigned long long seed)
{
    dsp::TRng rng(seed);
    const std::size_t open = std::size_t(rate * 0.16);    // squelch burst and static before the words
    const std::size_t close = std::size_t(rate * 0.22);   // and after them
    std::vector<double> out(open + voice.size() + close, 0.0);

    // The voice through a telephone-narrow band, pushed into saturation like a cheap transmitter.
    const double voicePeak = std::max(1e-9, dsp::Peak(voice));
    dsp::TSvf hp1, hp2, lp1, lp2, presence;
    hp1.Set(380, 0.7, rate);
    hp2.Set(380, 0.7, rate);
    lp1.Set(2900, 0.7, rate);
    lp2.Set(2900, 0.7, rate);
    presence.Set(1700, 1.2, rate);
    for (std::size_t i = 0; i < voice.size(); ++i) {
        double x = voice[i] / voicePeak;
        hp1.Process(x);
        hp2.Process(hp1.High);
        presence.Process(hp2.High);
        x = hp2.High + presence.Band * 0.8;
        x = std::tanh(x * 3.2) * 0.55;
        lp1.Process(x);
        lp2.Process(lp1.Low);
        out[open + i] = lp2.Low;
    }

    // Static under the whole transmission, with crackles, and loud squelch bursts at both ends.
    dsp::TSvf hissBand, burstBand;
    hissBand.Set(2200, 0.5, rate);
    burstBand.Set(1600, 0.6, rate);
    const std::size_t end = out.size();
    const double fade = rate * 0.012;
    for (std::size_t i = 0; i < end; ++i) {
        const double w = rng.Bipolar();
        hissBand.Process(w);
        burstBand.Process(w);
        double x = hissBand.Band * 0.05;
        if (rng.Uniform() < 30.0 / rate)
            x += rng.Bipolar() * 0.25;
        const double t = double(i) / rate;
        const double tail = double(end - i) / rate;
        if (t < 0.09)
            x += burstBand.Band * 0.55 * std::exp(-t * 25.0);
        if (tail < 0.14)
            x += burstBand.Band * 0.5 * std::min(1.0, (0.14 - tail) / 0.02) * std::min(1.0, tail / 0.05);
        // The key-up and key-down clicks ease in and out so that the sample itself does not click.
        const double edge = std::min({1.0, double(i) / fade, double(end - 1 - i) / fade});
        out[i] = (out[i] + x) * edge;
    }
    const double peak = std::max(1e-9, dsp::Peak(out));
    const double scale = dsp::DbToGain(-2.0) / peak;
    for (double &s : out)
        s *= scale;
    return out;
}
