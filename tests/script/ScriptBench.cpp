// The mission-script interpreter against Lua 5.4 running the same mission logic: waves of units, a
// radar sweep that sleeps, distance checks, score keeping and timed phases, with the same game state
// fed in every frame and the same random generator. Run by hand (not a test):
//   build/tests/script/script_bench
// Before measuring it runs both for a few thousand frames and refuses to go on if they disagree.
// Load_Declarations compiles scripts of many declarations alone, to show that compiling stays linear.

#include "ScriptTestUtil.h"

#include "core/App.h"
#include "core/Random.h"
#include "script/GameVars.h"
#include "script/Script.h"

#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <cstdio>
#include <stdexcept>
#include <string>

using namespace scripttest;

namespace {

constexpr int FrameMs = 25;

const char *const SesMission = R"(int wave 0
int spawned 0
int seen 0
int alarms 0
int r 0
int score 0
int phase 0
int messages 0
float dist 5000,0
float fuel 100,0
bool alarm false
{
  // a new wave when the last one is gone
  if G_AI_GROUP1_COUNT = $0 and wave < $1000000 then
    wave += $1
    CreateObject OBJECT_SHIP AI_GROUP1 AI_SIDE_ENEMY $100 $1000,0 $2000,0 $0,0 $0,0 $90,0 Cargo
    spawned += $1
  endif
}
{
  // the radar sweeps twice a second
  Sleep $500
  RandomInt $100 r
  if r < $10 or G_AI_GROUP2_HEALTH < $50 then
    alarm = $true
    alarms += $1
  endif
}
{
  DistancePlayerToGroup AI_GROUP2 dist
  if dist < $1000,0 and not alarm = $false then
    seen += $1
    alarm = $false
  endif
  fuel -= $0,01
  if fuel <= $0,0 then
    fuel = $100,0
  endif
}
{
  if G_AI_GROUP3_COUNT < $3 then
    score += $5
  endif
  if G_AI_GROUP3_COUNT >= $3 and score > $0 then
    score -= $1
  endif
}
{
  Sleep $2000
  phase += $1
  if phase > $3 then
    phase = $0
    messages += $1
    Message Phase
  endif
}
)";

const char *const LuaMission = R"(
wave, spawned, seen, alarms, r, score, phase, messages = 0, 0, 0, 0, 0, 0, 0, 0
dist, fuel, alarm = 5000.0, 100.0, false
local yield = coroutine.yield
blocks = {
  function()
    while true do
      if G_AI_GROUP1_COUNT == 0 and wave < 1000000 then
        wave = wave + 1
        CreateObject(3, 1, 1, 100, 1000.0, 2000.0, 0.0, 0.0, 90.0, "Cargo")
        spawned = spawned + 1
      end
      yield(0)
    end
  end,
  function()
    while true do
      yield(500)
      r = Random(100)
      if r < 10 or G_AI_GROUP2_HEALTH < 50 then
        alarm = true
        alarms = alarms + 1
      end
      yield(0)
    end
  end,
  function()
    while true do
      dist = DistancePlayerToGroup(2)
      if dist < 1000.0 and not (alarm == false) then
        seen = seen + 1
        alarm = false
      end
      fuel = fuel - 0.01
      if fuel <= 0.0 then fuel = 100.0 end
      yield(0)
    end
  end,
  function()
    while true do
      if G_AI_GROUP3_COUNT < 3 then score = score + 5 end
      if G_AI_GROUP3_COUNT >= 3 and score > 0 then score = score - 1 end
      yield(0)
    end
  end,
  function()
    while true do
      yield(2000)
      phase = phase + 1
      if phase > 3 then
        phase = 0
        messages = messages + 1
        Message("Phase")
      end
      yield(0)
    end
  end,
}
)";

const char *const Compared[] = {"wave", "spawned", "seen", "alarms", "r", "score", "phase", "messages"};

// The game state both missions see in frame N.
struct TWorld {
    int   GroupCount1, GroupHealth2, GroupCount3;
    float Distance;
};

TWorld WorldAt(long frame)
{
    return {frame % 50 == 0 ? 0 : 3, int(frame % 100), int(frame % 5), float((frame * 37) % 5000)};
}

// The game's side of the commands for the compiled script: only the distance has a result.
class TBenchHandler : public TScriptCommandHandler {
public:
    void Execute(const TScriptCommand &command) override
    {
        if (command.Opcode == OpDistancePlayerToGroup)
            TScript::FloatAt(command.Args[1]) = World.Distance;
    }
    TWorld World{};
};

class TSesMission {
public:
    TSesMission() : Script(StagedTable)
    {
        const TScriptDir dir("bench");
        Script.Handler = &Handler;
        Script.Load(dir.Write("Bench.ses", SesMission));
    }
    void Frame(long frame)
    {
        Handler.World = WorldAt(frame);
        ScriptStandIns.GroupAliveCount[1] = Handler.World.GroupCount1;
        ScriptStandIns.GroupHealth[2] = Handler.World.GroupHealth2;
        ScriptStandIns.GroupAliveCount[3] = Handler.World.GroupCount3;
        FrameTime = FrameMs;
        Script.Update(FrameMs);
    }
    long Value(const char *name) { return TScript::IntAt(Script.FindVariable(name)->Storage); }

    TBenchHandler Handler;
    TScript       Script;
};

int LuaNothing(lua_State *) { return 0; }
int LuaRandom(lua_State *L)
{
    lua_pushinteger(L, Random(int(luaL_checkinteger(L, 1))));
    return 1;
}

class TLuaMission {
public:
    TLuaMission() : L(luaL_newstate())
    {
        luaL_openlibs(L);
        lua_register(L, "CreateObject", LuaNothing);
        lua_register(L, "Message", LuaNothing);
        lua_register(L, "Random", LuaRandom);
        lua_pushlightuserdata(L, this);
        lua_pushcclosure(L, &TLuaMission::Distance, 1);
        lua_setglobal(L, "DistancePlayerToGroup");
        if (luaL_dostring(L, LuaMission) != LUA_OK)
            throw std::runtime_error(lua_tostring(L, -1));
        lua_getglobal(L, "blocks");
        const int count = int(luaL_len(L, -1));
        for (int i = 1; i <= count; ++i) {
            lua_State *thread = lua_newthread(L);
            Refs.push_back(luaL_ref(L, LUA_REGISTRYINDEX));   // keeps the thread alive
            lua_rawgeti(L, -1, i);
            lua_xmove(L, thread, 1);
            Blocks.push_back(thread);
            Sleep.push_back(0);
        }
        lua_pop(L, 1);
    }
    ~TLuaMission() { lua_close(L); }

    void Frame(long frame)
    {
        World = WorldAt(frame);
        SetGlobal("G_AI_GROUP1_COUNT", World.GroupCount1);
        SetGlobal("G_AI_GROUP2_HEALTH", World.GroupHealth2);
        SetGlobal("G_AI_GROUP3_COUNT", World.GroupCount3);
        SetGlobal("G_DELTA_TIME", FrameMs);
        for (std::size_t i = 0; i < Blocks.size(); ++i) {
            if (Sleep[i] > 0) {
                Sleep[i] = Sleep[i] > FrameMs ? Sleep[i] - FrameMs : 0;
                continue;
            }
            int results = 0;
            if (lua_resume(Blocks[i], L, 0, &results) != LUA_YIELD)
                throw std::runtime_error(lua_tostring(Blocks[i], -1));
            Sleep[i] = int(lua_tointeger(Blocks[i], -1));
            lua_pop(Blocks[i], results);
        }
    }
    long Value(const char *name)
    {
        lua_getglobal(L, name);
        const long value = long(lua_tointeger(L, -1));
        lua_pop(L, 1);
        return value;
    }

private:
    void SetGlobal(const char *name, int value)
    {
        lua_pushinteger(L, value);
        lua_setglobal(L, name);
    }
    static int Distance(lua_State *L)
    {
        const auto *self = static_cast<const TLuaMission *>(lua_touserdata(L, lua_upvalueindex(1)));
        lua_pushnumber(L, self->World.Distance);
        return 1;
    }

    lua_State              *L;
    std::vector<lua_State *> Blocks;
    std::vector<int>        Refs, Sleep;
    TWorld                  World{};
};

// Both missions from the same seed must end in the same state.
bool SameResults()
{
    constexpr long Frames = 5000;
    TSesMission ses;
    TLuaMission lua;
    RandSeed = 12345;
    for (long f = 1; f <= Frames; ++f)
        ses.Frame(f);
    RandSeed = 12345;
    for (long f = 1; f <= Frames; ++f)
        lua.Frame(f);
    bool same = true;
    std::printf("After %ld frames:", Frames);
    for (const char *name : Compared) {
        std::printf(" %s %ld", name, ses.Value(name));
        if (ses.Value(name) != lua.Value(name)) {
            std::fprintf(stderr, "\n%s: script %ld, Lua %ld\n", name, ses.Value(name), lua.Value(name));
            same = false;
        }
    }
    std::printf("\n");
    return same;
}

void BM_Frame_Ses(benchmark::State &state)
{
    TSesMission mission;
    long frame = 0;
    for (auto _ : state)
        mission.Frame(++frame);
    state.SetItemsProcessed(state.iterations());
}

void BM_Frame_Lua(benchmark::State &state)
{
    TLuaMission mission;
    long frame = 0;
    for (auto _ : state)
        mission.Frame(++frame);
    state.SetItemsProcessed(state.iterations());
}

void BM_Load_Ses(benchmark::State &state)
{
    const TScriptDir dir("bench-load");
    const std::string path = dir.Write("Bench.ses", SesMission);
    TScript script(StagedTable);
    for (auto _ : state)
        script.Load(path);
}

// A script of N int declarations and one block that reads the first and the last: compile time must
// grow with N, not with N squared (a million declarations still fit the data area).
void BM_Load_Declarations(benchmark::State &state)
{
    const long count = long(state.range(0));
    std::string source;
    source.reserve(std::size_t(count) * 16 + 64);
    for (long i = 0; i < count; ++i)
        source += "int v" + std::to_string(i) + " " + std::to_string(i) + "\n";
    source += "{\n  v0 += v" + std::to_string(count - 1) + "\n}\n";
    const TScriptDir dir("bench-declarations");
    const std::string path = dir.Write("Many.ses", source);
    TScript script(StagedTable);
    for (auto _ : state)
        script.Load(path);
    if (script.Declared.size() != std::size_t(count))
        state.SkipWithError("not every declaration was compiled");
    state.SetComplexityN(count);
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_Load_Lua(benchmark::State &state)
{
    for (auto _ : state) {
        TLuaMission mission;
        benchmark::DoNotOptimize(&mission);
    }
}

BENCHMARK(BM_Frame_Ses);
BENCHMARK(BM_Frame_Lua);
BENCHMARK(BM_Load_Ses);
BENCHMARK(BM_Load_Lua);
BENCHMARK(BM_Load_Declarations)->RangeMultiplier(10)->Range(10'000, 1'000'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace

int main(int argc, char **argv)
{
    if (!SameResults()) {
        std::fprintf(stderr, "The two missions disagree: the comparison would be meaningless.\n");
        return 1;
    }
    std::printf("Both missions agree. Frame: one mission frame of 5 blocks; Load: compile the script (Lua: a "
                "new state, compiling, making the block coroutines).\n");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
