#pragma once
// craftgen's model families and the output they share.

#include "tools/craftgen/Paint.h"
#include "tools/craftgen/Shapes.h"

#include <functional>
#include <string>
#include <vector>

// Where the generated files go, and the list of what has been written.
struct TOutput {
    std::string              DataDir;   // the "Data" folder of the staging tree
    std::string              Font;      // the TrueType font of the markings
    std::vector<std::string> Written;   // paths below DataDir, with forward slashes

    // Writes Model to DataDir/Path (a path below "Data", such as "Models/Misc/Rocket.otm").
    void Model(const TModelBuilder &model, const std::string &path);
    // Writes Atlas to DataDir/Path as a PNG, with an alpha channel when asked.
    void Texture(const TAtlas &atlas, const std::string &path, bool alpha = false);
};

void BuildBomber(TOutput &out);          // "Models/Crafts/Su25" and the wreck "Models/Dead/Su25"
void BuildEarlyWarning(TOutput &out);    // "Models/Crafts/Avax"
void BuildFighter(TOutput &out);         // "Models/Crafts/GAS1"
void BuildTurrets(TOutput &out);         // "Models/Guns"
void BuildPlayer(TOutput &out);          // "Models/Player"
void BuildMisc(TOutput &out);            // "Models/Misc": bombs and missiles, then the two below
void BuildMarkers(TOutput &out);         // the checkpoint and reload markers, the muzzle flame
void BuildBlast(TOutput &out);           // the mega bomb's blast and its six fire textures

// Frames of a falling wreck's animation: the game plays it once over five seconds.
constexpr int WreckFrames = 26;
constexpr float WreckSeconds = 5;

// How a piece of wreckage falls: at normalized time t, how far its pivot has moved and how it is
// turned.
using TFall = std::function<void(float t, TVector3 &offset, TVector4 &turn)>;
// Keys for a piece built in model coordinates: the pivot becomes the mesh's origin (where the game
// puts the fire or smoke of a piece named "Fire..." or "Smoke..."), and the keys carry it down.
void FallKeys(TMeshBuilder &mesh, const TVector3 &pivot, const TFall &fall);
// Falling under Gravity (m/s²) while drifting by Drift metres over the five seconds, turning
// Turns times about Spin and pitching the nose down by NoseDown radians.
TFall Tumble(const TVector3 &drift, float gravity, const TVector3 &spin, float turns, float noseDown);
// Where a piece falling under Gravity is at the moment the game fires the final explosion
// (4.5 s): the "Hit" point goes there, so the blast meets the falling wreck.
TVector3 FinalBlast(const TVector3 &pivot, const TVector3 &drift, float gravity);
