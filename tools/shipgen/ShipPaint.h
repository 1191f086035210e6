#pragma once
// The ships' textures: each region of a ship's texture painted in metres, so plate seams, portholes,
// waterlines and hull numbers come out at the same scale on every ship; team paint by side, and the
// scorched copy the wrecks wear.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/Noise.h"
#include "tools/shipgen/ShipKit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

TColor Rgb(float r, float g, float b);

// A ship's colours. Side 0 is the player's navy (haze grey, blue markings), side 1 the enemy's
// (dark grey, red markings).
struct TTeam {
    int    Side = 0;
    TColor Hull, Super, Deck, Boot, Bottom, Marking, Number, Shadow, Metal;
};
TTeam NavalTeam(int side);
// Merchant ships: side 0 a dark blue hull with a blue funnel band, side 1 a black hull with red.
TTeam MerchantTeam(int side);

// What goes on a hull side besides the paint.
struct THullPaint {
    std::function<float(float)> DeckZ;   // deck height at y
    std::string Number;                  // big hull number near the bow (warships)
    float  NumberY = 0, NumberHeight = 3;
    bool   Stripe = false;               // the team's slanted band behind the bow
    float  StripeY = 0;
    float  PortholeDrop = 0;             // portholes this far below the deck edge (0: none)
    float  PortholeFrom = -1e9f, PortholeTo = 1e9f;
    std::vector<float> Hawse;            // anchor pipes at these y
    std::string Name;                    // painted on the stern quarter (merchants)
    float  BootTop = 0.6f;               // the black band from just under the water to here
    bool   Tiles = false;                // a submarine's rubber tiles instead of plates
};

// What goes on a deck besides the paint.
struct TDeckPaint {
    std::function<float(float)> HalfWidth;   // deck half width at y
    bool  Planks = false;                    // a wooden deck
    std::vector<float> Marks;                // the team's recognition marks seen from the air, at these y
    float MarkSize = 0;
    std::vector<float> Hatches;              // hatch covers at these y (cargo ships)
    float HatchWidth = 0, HatchLength = 0;
    bool  Walkway = false;                   // a painted walkway along the centre line
};

class TPainter {
public:
    TPainter(const TLayout &layout, const std::string &fontPath, std::uint32_t seed);

    // Calls F for every pixel of R with the pixel's position in metres, R being MetresW wide and
    // MetresH high (y down from the top edge), and stores what it returns.
    void Fill(const TPixRect &r, float metresW, float metresH, const std::function<TColor(float, float)> &f);
    // Sets Text centred on pixel (X, Y), capital letters CapPx pixels high, with a drop shadow;
    // Squeeze narrows it for regions whose pixels cover more metres across than down.
    void Text(const std::string &utf8, int capPx, float x, float y, const TColor &colour, const TColor &shadow,
              float squeeze = 1);

    void Hull(const TSideMap &map, bool starboard, const TTeam &team, const THullPaint &paint);
    void Deck(const TDeckMap &map, const TTeam &team, const TDeckPaint &paint);
    // Superstructure walls: deck levels every 3 m with portholes (round) or windows (square).
    void Walls(const TPixRect &r, const TSkin &skin, const TColor &colour, bool squareWindows);
    // A bridge front: a band of dark windows above a plain wall.
    void Bridge(const TPixRect &r, const TSkin &skin, const TColor &colour);
    void Roof(const TPixRect &r, const TSkin &skin, const TColor &colour);
    // Round funnel: black cap, the team's band, soot at the top.
    void Funnel(const TPixRect &r, const TColor &colour, const TColor &band);
    void Metal(const TPixRect &r, const TColor &colour);

    const TLayout Layout;
    TCanvas       Canvas;
    std::uint32_t Seed;

private:
    std::unique_ptr<TFont> Font;
};

// The wreck's copy of a texture: soot, scorching and rust over everything. A sinking wreck is seen
// for five seconds, so it wears it at half the size.
TCanvas Scorched(const TCanvas &source, std::uint32_t seed);
