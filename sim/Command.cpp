#include "sim/Command.h"

#include "data/Keys.h"

#include <utility>

TPlayerCommand CommandFromInput(const TKeys *keys, TPoint cursorClient, int width, int height, const TPadState &pad,
                                bool invertMouse)
{
    constexpr float PadFullDeflection = 100;
    TPlayerCommand command;
    // The cursor's offset from the middle of the window steers; so does the pad's left stick.
    command.SteerX = float(cursorClient.x - width / 2);
    command.SteerY = float(cursorClient.y - height / 2);
    if (pad.Connected) {
        command.SteerX += pad.StickX * PadFullDeflection;
        command.SteerY += pad.StickY * PadFullDeflection;
        command.StickX = pad.StickX;
        command.StickY = pad.StickY;
        command.TriggerLeft = pad.TriggerLeft;
        command.TriggerRight = pad.TriggerRight;
    }
    if (invertMouse)
        command.SteerY = -command.SteerY;
    if (keys) {
        const std::pair<int, TCommandAction> actions[] = {{KP_FORWARD, CommandForward},
                                                          {KP_BACKWARD, CommandBackward},
                                                          {KP_PRIMARY, CommandPrimary},
                                                          {KP_SECONDARY, CommandSecondary},
                                                          {KP_CHANGEWEAPON, CommandChangeWeapon}};
        for (const auto &[action, bit] : actions)
            if (keys->ActionDown(action))
                command.Held |= bit;
    }
    return command;
}
