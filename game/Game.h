#pragma once
// The program from start-up through the frame loop to shut-down.

#include "core/App.h"

// Builds every service in its fixed order, runs frames until a quit is asked for, saves and closes.
// Returns the exit status; errors it cannot handle are thrown.
int RunGame(const TCommandLine &cmd);
