#pragma once
// What a pilot asks of an aircraft in one frame: the only thing the player aircraft and its weapons
// read of the controls. The game builds one a frame from the mouse, the keys and the pad; a program
// without a pilot hands an empty one (the aircraft then flies straight, or its autopilot flies it);
// a network client flies its own aircraft with it.

#include "core/Platform.h"

#include <cstdint>

class TKeys;

// The actions a pilot holds, one bit each.
enum TCommandAction : std::uint32_t {
    CommandForward = 1u << 0,       // accelerate
    CommandBackward = 1u << 1,      // brake, with the air brake out
    CommandPrimary = 1u << 2,       // the machine gun
    CommandSecondary = 1u << 3,     // the selected secondary weapon
    CommandChangeWeapon = 1u << 4,  // the next secondary weapon (once per press)
};

struct TPlayerCommand {
    // The steering offset in pixels, as the mouse gives it: the cursor's offset from the middle of
    // the window (right and down positive), the pad's stick already added, the mouse's inversion
    // already applied.
    float         SteerX = 0, SteerY = 0;
    std::uint32_t Held = 0;         // TCommandAction bits
    // The pad as the pilot holds it (the stick after its dead zone and sensitivity): kept for what
    // reads the pad beyond steering.
    float         StickX = 0, StickY = 0, TriggerLeft = 0, TriggerRight = 0;

    bool Holds(TCommandAction action) const { return (Held & action) != 0; }
    bool operator==(const TPlayerCommand &) const = default;
};

// A press that acts once (a missile, a weapon change): it acts when first seen held, then not again
// until the pilot lets go of it.
struct TPressLatch {
    bool Spent = false;
    // Once a frame, before anything asks Ready: letting go makes the press ready again.
    void Observe(bool held)
    {
        if (!held)
            Spent = false;
    }
    bool Ready(bool held) const { return held && !Spent; }
};

// The pilot of one aircraft: this frame's command and the presses that act once.
struct TPilot {
    TPlayerCommand Command;
    TPressLatch    Secondary, ChangeWeapon;

    // Takes the frame's command and watches the once-a-press actions.
    void Take(const TPlayerCommand &command)
    {
        Command = command;
        Secondary.Observe(command.Holds(CommandSecondary));
        ChangeWeapon.Observe(command.Holds(CommandChangeWeapon));
    }
    bool Holds(TCommandAction action) const { return Command.Holds(action); }
};

// The command of a frame from the input as the game reads it: the key state's latched actions, the
// cursor's client position in a window of Width x Height, the pad (its stick worth a 100-pixel
// offset at full deflection) and the mouse inversion. Keys may be null (no action held).
TPlayerCommand CommandFromInput(const TKeys *keys, TPoint cursorClient, int width, int height, const TPadState &pad,
                                bool invertMouse);
