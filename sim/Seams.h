#pragma once
// Where the simulation reaches the subsystems above it. The design has units and the player aircraft
// call the renderer's shader programs, the HUD and the network layer; the simulation
// must not include or link them, so it declares here what it needs and start-up installs the
// implementations. Until one is installed the simulation gets the honest answer of a program that has
// no such subsystem: no shader is used, there is no network game.

#include "core/Maths.h"

#include <string>

// The shader programs the simulation switches while drawing (the player's skin, the ion gun's
// shield, the mega bomb's blast).
class TShaderSeam {
public:
    virtual ~TShaderSeam() = default;
    // Makes the named program current; false when it cannot be used (then nothing changed).
    virtual bool Use(int program) = 0;
    // Back to the fixed-function pipeline.
    virtual void Stop() = 0;
    // The objects' program lights what it draws, or leaves it in its plain colours, as the fixed
    // pipeline's lighting switch does: a marker drawn unlit is unlit with shaders on too.
    virtual void SetLighting(bool) {}
};

// The network layer as the simulation sees it: whether this program is a client of a network game,
// and the messages a client sends to its server.
class TNetworkSeam {
public:
    virtual ~TNetworkSeam() = default;
    virtual bool IsClient() const = 0;
    virtual void SendMessage(const void *data, int size) = 0;
    // A network game's own step, once a mission tick after the world moved: what arrived is
    // applied and what is due is sent.
    virtual void Tick(int /*dt*/) {}
};

// The sea surface: wakes, splashes and explosions disturb it.
class TWaterSeam {
public:
    virtual ~TWaterSeam() = default;
    // A disturbance of Strength spread over Size world units around At.
    virtual void Disturb(const TVector3 &at, float strength, float size) = 0;
};

// The HUD as the mission script drives it: the script's indicator.
class THudSeam {
public:
    virtual ~THudSeam() = default;
    // Shows the script's int variable Value (it lives as long as the script) under Label; a null
    // Value takes the indicator away.
    virtual void SetIndicator(const int *value, const std::string &label) = 0;
};

// Installed by start-up; null where the program has no such subsystem.
extern THudSeam       *HudSeam;
extern TWaterSeam     *WaterSeam;
extern TShaderSeam    *ShaderSeam;

// Lighting on or off for what is drawn next: the drawing device's switch and the objects' program.
void SwitchLighting(bool on);
extern TNetworkSeam   *NetworkSeam;
