#include "core/Timer.h"

void (*TimerTextOutput)(const std::string &text, float x, float y, float red, float green, float blue) = nullptr;

void TTimer::Update(int dt)
{
    if (!Enabled || Remaining < 1)
        return;
    // In 64 bits: a huge step must not wrap a small remainder round to a large positive time.
    const long long left = static_cast<long long>(Remaining) - dt;
    Remaining = left < 0 ? 0 : static_cast<int>(left);
}

void TTimer::Draw(float x, float y) const
{
    if (Enabled && TimerTextOutput)
        TimerTextOutput(FormatTime(Remaining), x, y, 1, 0, 0);
}

std::string TTimer::FormatTime(int ms)
{
    if (ms < 1)
        return "00:00:00";
    auto twoDigits = [](int value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return twoDigits(ms / 60000) + ":" + twoDigits(ms % 60000 / 1000) + ":" + twoDigits(ms % 1000 / 10);
}
