#pragma once
// Radio speech: lines spoken by the eSpeak NG synthesiser, then passed through a radio chain
// (narrow band, saturation, static, squelch bursts at the start and end).

#include "tools/audiogen/Recipe.h"

#include <string>
#include <vector>

struct TSpeechLine {
    std::string Name;                 // output file name, e.g. "Speech1.wav"
    std::string Voice = "en-us+m3";   // eSpeak NG voice and variant
    int         Speed = 160;          // words per minute
    int         Pitch = 40;           // 0..99
    std::string Text;
};

// Lines "speech NAME [VOICE [SPEED [PITCH]]] | TEXT"; throws "<path>:<line>: ..." on a fault.
std::vector<TSpeechLine> ReadSpeechRecipe(const TRecipeReader &recipe);
// Speaks the line with the synthesiser at EspeakPath into a scratch file in WorkDir and returns
// the raw voice (mono) and its rate.
std::vector<double> SpeakLine(const TSpeechLine &line, const std::string &espeakPath, const std::string &workDir,
                              int &rate);
// The radio treatment of a raw voice at Rate; Seed fixes the static.
std::vector<double> RadioVoice(const std::vector<double> &voice, int rate, unsigned long long seed);
