#pragma once
// Paint schemes of the computer-flown aircraft: camouflaged upper surfaces over a plain belly,
// panel lines, the hostile insignia, and the texture layout the three types share.

#include "tools/craftgen/Craft.h"

struct TLivery {
    std::vector<TColor> Camouflage;   // blotches of the upper surfaces, the first is the ground colour
    TColor              Belly;        // lower surfaces
    TColor              Edge;         // leading edges, radome, walkways
    float               Scale = 60;   // blotch size in pixels
    std::uint32_t       Seed = 1;
};

// The texture layout of a computer-flown aircraft (512 x 512): body, wings, tail surfaces, engine
// nacelles, canopy, dark metal, nozzle and intake glow, and the stores it carries.
struct TCraftSkin {
    TRect Fuselage{0, 0, 192, 512};    // u round the body from the belly, v nose to tail
    TRect Wing{192, 0, 512, 192};      // u over the section (upper surface first), v root to tip
    TRect Tail{192, 192, 352, 352};    // fins and tailplanes, laid out like the wing
    TRect Nacelle{352, 192, 512, 352}; // engine pods, laid out like the body
    TRect Canopy{192, 352, 288, 448};
    TRect Metal{288, 352, 384, 448};
    TRect Glow{384, 352, 448, 416};    // a jet nozzle seen from behind
    TRect Mouth{448, 352, 512, 416};   // an intake seen from the front
    TRect Stores{384, 416, 512, 512};  // bombs or missiles, laid out like the body
    TRect Extra{192, 448, 384, 512};   // the type's own item (the radar dome)

    TAtlas Atlas{512, 512};
};

// The body: camouflage above, the belly colour below, frames at the Frames fractions of the length.
void PaintBody(TAtlas &atlas, const TRect &rect, const TLivery &livery, const std::vector<float> &frames);
// A wing or tail region: camouflage on the upper surface (and on both faces for fins when asked),
// dark leading edges, spars and ribs.
void PaintLifting(TAtlas &atlas, const TRect &rect, const TLivery &livery, bool bothFaces);
// Glass over a dark cockpit, with its frames at the Bows fractions.
void PaintGlass(TAtlas &atlas, const TRect &rect, const std::vector<float> &bows);
// The shared small regions: dark metal, the glowing nozzle and the intake mouth.
void PaintFittings(TAtlas &atlas, const TCraftSkin &skin, const TColor &glow);
// The hostile roundel: a black ring, white, and a red triangle; Rx and Ry in pixels.
void Insignia(TAtlas &atlas, const TRect &rect, float u, float v, float rx, float ry);

// The segment count of a round part at a level of detail: all of them for the model itself (0),
// about two thirds for its "_lod0" file (1), about a third for its "_lod1" file (2); never fewer
// than Least.
int Segments(int full, int lod, int least = 4);
// Writes the two lower-detail files of an aircraft, "Main_lod0.otm" and "Main_lod1.otm" in Folder,
// from Build(mesh, lod), with the skin at half and a quarter of its size.
void WriteLods(TOutput &out, const std::string &folder, const TCraftSkin &skin,
               const std::function<void(TMeshBuilder &mesh, int lod)> &build);

// The pieces an aircraft breaks into.
enum TCraftPart : unsigned { PartFront = 1, PartRear = 2, PartLeftWing = 4, PartRightWing = 8, PartWhole = 15 };

// How an aircraft comes apart in the air: its parts, and the pivots the pieces turn about (the
// pivot of a burning piece is where its fire sits).
struct TWreckPlan {
    std::function<void(TMeshBuilder &mesh, unsigned parts)> Parts;
    TVector3 Engine;      // the burning engine of the spiral
    TVector3 WingRoot;    // the tear where the right wing leaves
    TVector3 WingPiece;   // the middle of the right wing
    TVector3 Split;       // where the tail breaks off
    TVector3 TailPiece;   // the middle of the tail section
    float    Scale = 1;   // distances the pieces drift apart, against a 16 m aircraft
};

// The falling wreck Variant (0 a burning spiral, 1 the right wing torn off, 2 the tail shot away)
// as "Folder/Name.otm" with its burnt skin beside it.
void SkyWreck(TOutput &out, const std::string &path, const TCraftSkin &skin, const TWreckPlan &plan, int variant);
