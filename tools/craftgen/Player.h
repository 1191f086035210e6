#pragma once
// The player's aircraft: one texture layout shared by the body, every moving part and the wreck, so
// that whichever of the skins the game binds ("Air.png", "Damage1..4.png", "Elerons.png",
// "Elerons_damaged.png" or a part's own picture) lands on the right place of every mesh.

#include "tools/craftgen/Craft.h"

struct TPlayerSkin {
    static constexpr int Size = 1024;

    TRect Fuselage{0, 0, 384, 1024};   // u round the body from the belly, v nose to tail
    TRect Wing{384, 0, 1024, 320};     // upper surface u 0..0.5 (trailing to leading edge), lower 0.5..1
    TRect Fin{384, 320, 640, 576};
    TRect Taileron{640, 320, 832, 512};
    TRect Canard{832, 320, 1024, 512};
    TRect Aileron{640, 512, 832, 640};
    TRect Rudder{832, 512, 1024, 640};
    TRect Canopy{384, 576, 640, 832};
    TRect Petal{640, 640, 832, 832};
    TRect Glow{832, 640, 1024, 832};
    TRect Metal{384, 832, 640, 1024};
    TRect Intake{640, 832, 832, 1024};
    TRect Brake{832, 832, 1024, 1024};

    TAtlas Clean{Size, Size};
};

// Paints the clean skin.
TPlayerSkin PaintPlayerSkin(const std::string &font);
// The clean skin battered to Level 1..4 (each level keeps the damage of the one before), or burnt
// out for the wreck at level 5.
TAtlas DamagedSkin(const TPlayerSkin &skin, int level);

// The fixed structure of the aircraft: body, canopy, wings, fins, intakes, cannon fairing, the nozzle
// shrouds and the glow deep inside them; without the left wing unless Intact.
void AddPlayerAirframe(TMeshBuilder &mesh, const TPlayerSkin &skin, bool intact);
// The right wing's root, middle and tip; the left wing is its mirror image.
std::vector<TWingStation> PlayerWingStations();
// "Dead.otm": the aircraft breaking up, with its burnt-out skin.
void BuildPlayerWreck(TOutput &out, const TPlayerSkin &skin);
