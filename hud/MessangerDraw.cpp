#include "hud/MessangerDraw.h"

#include "core/View.h"
#include "data/Locale.h"
#include "hud/Out2D.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {

// A text's size in a font, leaving the 2D output's selected font as it was.
TPoint Extent(int font, std::string_view text)
{
    if (!Out2D)
        return {};
    const unsigned selected = Out2D->Selected;
    Out2D->SelectFont(unsigned(font));
    const TPoint size = Out2D->Font(unsigned(font)) ? Out2D->TextExtent(text) : TPoint{};
    Out2D->SelectFont(selected);
    return size;
}

// The height of one line of a font: that of "|".
int LineHeight(int font) { return Extent(font, "|").y; }

} // namespace

void InstallMessangerOutput(TMessanger &messanger)
{
    if (!Out2D)
        throw std::logic_error("The messages need the 2D output to be created first");
    messanger.SetListFont(int(Out2D->CreateFont("Arial", 10, false)));
    messanger.SetTaskFont(int(Out2D->CreateFont("Arial Black", 12, false)));
    messanger.SetCentreFont(int(Out2D->CreateFont("Arial Black", 24, false)));
    messanger.Measure = Extent;
}

void DrawMessages(const TMessanger &messanger)
{
    if (!Out2D)
        return;
    const float sx = PixelSizeX, sy = PixelSizeY;
    const float line = float(LineHeight(messanger.ListFont));
    const float top = 1 - 40 * sy;
    if (messanger.ItemCount > 0) {
        glColor4f(0, 0, 0, 0.4f);
        Out2D->DrawRect(5 * sx - 1, top - float(messanger.ItemCount + 2) * line * sy, 1 - 5 * sx, 1);
    }
    for (int i = 0; i < messanger.ItemCount; ++i) {
        const TMessageItem &item = messanger.Items[std::size_t(i)];
        glColor4fv(item.Colour);
        Out2D->DrawText(item.Text, unsigned(messanger.ListFont), 10 * sx - 1, top - float(i + 2) * line * sy);
    }
    if (messanger.CentreTime > 0) {
        const long long phase = ((GameClock % 1000) + 1000) % 1000;
        const float alpha = (0.5f - float(std::llabs(phase - 500)) / 1000) * messanger.CentreColour[3];
        glColor4f(messanger.CentreColour[0], messanger.CentreColour[1], messanger.CentreColour[2], alpha);
        Out2D->DrawText(messanger.CentreText, unsigned(messanger.CentreFont), messanger.CentreX, messanger.CentreY);
    }
    glColor4f(1, 1, 1, 1);
}

void DrawTasks(const TMessanger &messanger, const std::vector<TMissionTask> &tasks)
{
    if (!Out2D)
        return;
    static const float colours[3][3] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    const float sx = PixelSizeX, sy = PixelSizeY;
    const float below = float(messanger.ItemCount + 2) * float(LineHeight(messanger.ListFont)) * sy;
    const float line = float(LineHeight(messanger.TaskFont));
    const float top = 1 - 40 * sy - below;
    const unsigned font = unsigned(messanger.TaskFont);
    glColor4f(1, 1, 1, 1);
    Out2D->DrawText(Translate("Targets", 3) + ":", font, 10 * sx - 1, top - line * sy);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        // A state the game never sets draws as a new task.
        const int state = tasks[i].State >= 0 && tasks[i].State <= 2 ? tasks[i].State : 0;
        glColor4f(colours[state][0], colours[state][1], colours[state][2], 1);
        Out2D->DrawText(tasks[i].Text, font, 10 * sx - 1, top - float(i + 2) * line * sy);
    }
    glColor4f(1, 1, 1, 1);
}
