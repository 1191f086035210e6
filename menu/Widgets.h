#pragma once
// The menu's widgets. Each is drawn by its page every frame with the cursor position (normalised
// device units) and reports what the player did to it; the page reacts. Rectangles are in virtual
// units (see MenuDraw.h).

#include "core/KeyCodes.h"
#include "menu/MenuDraw.h"

#include <array>
#include <string>
#include <vector>

class TButton {
public:
    TButton() = default;
    TButton(TVRect rect, std::string caption, unsigned font, int inTexture, int outTexture);

    // Draws the button; true when it is clicked this frame (under the cursor while the left mouse
    // button is latched). Moving onto it plays the hover sound once.
    bool Frame(float cursorX, float cursorY);

    TVRect      Rect;
    std::string Caption;              // translated, Windows-1251
    unsigned    Font = 0;
    int         InTexture = -1, OutTexture = -1;
    bool        Marked = false;       // drawn highlighted, as if under the cursor
    bool        Enabled = true;       // a disabled button is drawn dimmed and takes no hover or click
    bool        Hovered = false;      // under the cursor this frame
    bool        Entered = false;      // the cursor moved onto it this frame (the hover sound played)

protected:
    void Draw(int texture, TRGB captionColor) const;
    void TrackHover(float cursorX, float cursorY);
    int  LastFrame = -2;   // the menu frame it was last drawn in
};

// A button with a selection state and its own images for the selected state.
class TCheckButton : public TButton {
public:
    TCheckButton() = default;
    TCheckButton(TVRect rect, int inTexture, int outTexture, int selectedInTexture, int selectedOutTexture);
    bool Frame(float cursorX, float cursorY);

    bool Selected = false;
    int  SelectedInTexture = -1, SelectedOutTexture = -1;
};

// The index after stepping Step (+1 or -1) through Count items, wrapping at both ends.
int WrapIndex(int index, int step, int count);

// A label with a list of values, one shown, stepped with the arrow buttons (clicking the value steps
// forward too). Each change plays the click sound and restarts the current page's transition.
class TChangeBox {
public:
    TChangeBox() = default;
    TChangeBox(float y, std::string label, std::vector<std::string> items, int index);

    // Draws the box; true when the shown item changed this frame.
    bool Frame(float cursorX, float cursorY);
    void Next();
    void Previous();
    // Disabled: drawn dimmed, no hover, no change.
    void SetEnabled(bool enabled);

    std::string              Label;   // translated
    std::vector<std::string> Items;   // translated
    int                      Index = 0;
    bool                     Enabled = true;
    TButton                  Left, Right, Value;

private:
    void Step(int step);
    float Y = 0;
};

// The key rule of the controls page: the first key fills an unbound primary slot; after that each
// new key becomes the secondary and the old secondary, when bound, moves to the primary slot.
void TakeCapturedKey(std::array<int, 2> &slots, int code);
// The lowest latched key code 0..265 (the pad's buttons after the keyboard and mouse); the left
// mouse button counts only when MouseAllowed. -1: none.
int LowestLatchedKey(bool mouseAllowed);

// The keys bound to one game action; a click starts capturing the next key pressed, shown by a
// highlight blinking with a 500 ms period.
class TKeyEdit {
public:
    TKeyEdit() = default;
    TKeyEdit(float y, int action);

    // Draws the field and runs the capture; true when a click started a capture this frame.
    bool Frame(int dt, float cursorX, float cursorY);
    void StopCapture() { Capturing = false; }

    int     Action = 0;
    bool    Capturing = false;
    int     BlinkTime = 0;   // ms into the capture
    TButton Field;

private:
    float Y = 0;
};

// The name of the keys bound to an action as the controls page shows it (translated).
std::string BoundKeysText(const std::array<int, 2> &slots);

// One add-on map set, from a ".mod" file.
struct TModSet {
    std::string FileName;
    std::string ButtonName, ButtonMouseIn, ButtonMouseOut;   // images relative to "Data\"
    std::string FirstScreen, LastScreen;                     // images relative to "Data\"
    std::string FirstLevel;                                  // script relative to "Data\Maps\"
    bool        ShowScore = false;
};

// Reads a ".mod" file: lines of KEY = VALUE (keys in any letter case); empty lines and lines starting
// with "/" are skipped, unknown keys ignored. Throws "File not found: ..." for a missing file.
TModSet ReadModSet(const std::string &fileName);
// The paths (AppDir + "Data\Maps\" + name) of every ".mod" file of the archive and the game folder,
// in name order (see ListDataFiles).
std::vector<std::string> FindModSets();

// The main page's button for one add-on map set: its own images when the set names them and they
// exist, else the menu's button images.
class TModButton : public TButton {
public:
    TModButton(const TModSet &set, TVRect rect);
    TModSet Set;
};

// An image panel of the credits page: the top-left 830 x 630 of a 1024 x 1024 texture, with an
// optional link button that opens its target.
class TTextWindow {
public:
    TTextWindow(int texture, TVRect rect);
    void Frame(float cursorX, float cursorY);

    int         Texture = -1;
    TVRect      Rect;
    bool        HasLink = false;
    TButton     Link;
    std::string LinkTarget;
};

// The 16 level-select codes of 8 characters each (see Widgets.cpp).
constexpr int LevelCodeCount = 16;
extern const std::array<const char *, LevelCodeCount> LevelCodes;

// The last 8 characters typed from a fixed key set; a match with one of 16 stored codes is reported.
class TCheatCode {
public:
    // Feeds this frame's latched keys of the set into the buffer (each key released once taken);
    // returns the index 0..15 of the code the buffer now equals, or -1.
    int Update();
    // Shifts one character in and returns the matching code's index or -1.
    int Feed(char c);

    std::string Buffer = std::string(8, ' ');
};

// The Windows-1251 character a key code types into a text entry, or 0 when the key is not taken:
// digits, letters, space and the keys 186, 188, 190, 219, 221, 222. With a Russian layout the letter
// keys and those six give the Cyrillic capitals of the standard Russian layout.
char TextEntryCharacter(int code, bool russianLayout);

// A line of typed text with a blinking caret.
class TTextEntry {
public:
    // Reads this frame's keys: appends accepted characters, Backspace removes the last one (with the
    // click sound); true when Enter confirms. Every key taken is released, so holding it adds once.
    bool Update(int dt);
    // The text in its field, the caret after it; a text too long for the field shows its end.
    void Draw(const TVRect &field, unsigned font) const;
    // The text without leading and trailing blanks.
    std::string Trimmed() const;

    std::string Text;
    int         CaretTime = 500;   // counts down to -500 and starts again
};
