#pragma once
// The ship models of the game, each written with its textures, team paints, wreck and lower-detail
// variants into "Models\Ships\<folder>\" under the staging "Data" folder.

#include "tools/shipgen/Fittings.h"

#include <functional>
#include <string>

struct TShipOutput {
    std::string Data;   // the staging "Data" folder
    std::string Font;   // the typeface of hull numbers and names
    std::string Folder(const std::string &ship) const { return Data + "/Models/Ships/" + ship + "/"; }
};

// The typeface of hull numbers and names, set once at start.
void SetShipFont(const std::string &path);
const std::string &ShipFont();

// Chooses the mesh a part at a given y goes to: one hull mesh, or the halves of a broken wreck.
using TMeshPicker = std::function<TMeshBuilder &(float y)>;

// A team-painted ship: "Main_<side>" and "Dead_<side>" for both sides, with "_lod0" and "_lod1"
// variants of the main model when Lods is set.
struct TShipRecipe {
    std::string Folder;
    bool        Lods = true;
    std::function<TModelBuilder(int detail)>      Main;    // detail 0, 1 or 2
    std::function<TModelBuilder()>                Dead;
    std::function<TCanvas(int side)>              Paint;
};
void WriteShip(const TShipOutput &out, const TShipRecipe &recipe);

void MakeDestroyer(const TShipOutput &out);
void MakeBoat(const TShipOutput &out);
void MakeBattleShip(const TShipOutput &out);
void MakeCargo(const TShipOutput &out);
void MakeTanker(const TShipOutput &out);
void MakeSubmarines(const TShipOutput &out);   // the submarine, the super-submarine and the torpedo
void MakeCarrier(const TShipOutput &out);
