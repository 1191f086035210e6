#pragma once
// The mission's on-screen messages: a scrolling list of short texts in the upper left corner, each
// fading out over the last second of its time, and one large pulsing text in the centre of the
// screen. Script commands add to it; the HUD creates it, gives it its fonts and draws it (see
// hud/MessangerDraw.h). The list itself knows nothing of GL: it measures centred texts through a
// hook the HUD installs, so headless tools can run missions with it too.

#include "core/Platform.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One line of the mission's task list, shown under the messages.
struct TMissionTask {
    std::string Text;   // already translated
    int State = 0;      // 0 new, 1 complete, 2 failed
};

struct TMessageItem {
    std::string Text;            // at most 255 characters
    int TimeLeft = 0;            // milliseconds
    float Colour[4] = {1, 1, 1, 1};
};

class TMessanger {
public:
    // The list holds (ScreenHeight - 64) div 16 lines, at least one, fixed from here on.
    explicit TMessanger(int screenHeight);

    // Adds a text shown for Time milliseconds. A centred text replaces the centre message at once,
    // placed by its size in CentreFont; any other text is appended to the list, dropping the oldest
    // line when the list is full. Texts longer than 255 characters are cut there.
    void Add(std::string_view text, bool centred, float red, float green, float blue, int time);
    // Empties the list; the centre message stays.
    void Clear();
    // Ages the list and the centre message by Dt milliseconds.
    void Update(int dt);

    void SetListFont(int font) { ListFont = font; }
    void SetTaskFont(int font) { TaskFont = font; }
    void SetCentreFont(int font) { CentreFont = font; }

    std::vector<TMessageItem> Items;   // oldest first; the first ItemCount are in use
    int ItemCount = 0;
    int Capacity = 0;
    std::string CentreText;
    float CentreX = 0, CentreY = 0;    // where the centre text starts, normalised device units
    int CentreTime = 0;                // milliseconds left; shown while above 0
    float CentreColour[4] = {1, 1, 1, 1};
    int TaskFont = 0, ListFont = 0, CentreFont = 0;   // font handles of the 2D output

    // Width and height in pixels of a text in a font. Unset, every text measures 0 x 0.
    std::function<TPoint(int font, std::string_view text)> Measure;
    // Told of every text as it is added, after the list has taken it.
    std::function<void(const std::string &text, bool centred)> OnAdd;
};

// The messages of the run: null until the HUD creates them.
extern TMessanger *Messanger;
