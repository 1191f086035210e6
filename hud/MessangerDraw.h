#pragma once
// Drawing the mission's messages and task list with the 2D output. The caller has set identity
// matrices and alpha blending, as for the rest of the HUD.

#include "script/Messanger.h"

#include <vector>

// Gives the messages their three fonts (list "Arial" 10, tasks "Arial Black" 12, centre
// "Arial Black" 24) and measures their centred texts with the 2D output. Needs Out2D.
void InstallMessangerOutput(TMessanger &messanger);

// The list in the upper left corner over a dark box, then the pulsing centre text. Leaves the
// colour opaque white.
void DrawMessages(const TMessanger &messanger);

// The heading "Targets:" and the tasks under the message list: new in blue, complete in green,
// failed in red. Leaves the colour opaque white.
void DrawTasks(const TMessanger &messanger, const std::vector<TMissionTask> &tasks);
