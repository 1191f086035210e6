// The campaign flow on a real GL context with the scene environment: small loose missions in the
// game folder are loaded by the loading page, flown by the environment's update as the frame loop
// does, won or lost by their scripts, and answered by the menu's pages.

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "core/View.h"
#include "render/Environment.h"
#include "render/Water.h"
#include "sim/DataExchange.h"
#include "sim/Player.h"
#include "sim/Tracers.h"
#include "sim/Weapons.h"
#include "tests/TestUtil.h"
#include "tests/menu/MenuFixture.h"

#include <GL/gl.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// Missions of the test: one that is won at once and names the next, one that ends the campaign,
// one that is lost, one that runs on, and one the compiler refuses.
constexpr const char *WinToLevel2 = "{\nNextLevel Level2.ses\n}\n";
constexpr const char *WinLast = "{\nEndGame\n}\n";
constexpr const char *Lose = "{\nGameOver\n}\n";
constexpr const char *RunOn = "int once 0\n{\nif once = $0 then\nCreatePlayer\nonce = $1\nendif\n}\n";
constexpr const char *Broken = "{\nNoSuchCommand $1\n}\n";

class CampaignTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        if (IsSkipped())
            return;
        // One scene for the whole program, as the game has one for its run.
        if (!Environment) {
            if (!ModelLib)
                ModelLib = new TModelLib();
            Sprites = new TSprites();
            Billboards = new TBillboards();
            Noise = new TNoise();
            TConfig settings;
            Config = &settings;
            Environment = new TEnvironment();
            Config = nullptr;
        }
        MenuActive = true;
        fs::remove(GameDir() / "Servers.txt");
    }

    void Mission(const std::string &name, const std::string &script) { WriteText(GameDir() / "Data" / "Maps" / name, script); }

    // A mission frame as the game loop runs it: the keys, the pilot's command, the world's tick.
    static void MissionFrame()
    {
        Keys->Update();
        Environment->HandleKeys();
        Environment->Update(25, Environment->Command());
    }

    // Frames of the game loop: the menu while it is active, else a mission frame.
    void Play(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            if (MenuActive) {
                Frame();
            } else {
                MissionFrame();
            }
        }
    }

    // Flies the mission until its end hands the frame back to the menu (at most Seconds).
    void FlyToTheEnd(int seconds = 5)
    {
        for (int t = 0; t < seconds * 1000 && !MenuActive; t += 25)
            MissionFrame();
        ASSERT_TRUE(MenuActive) << "the mission did not end";
    }

    // From the main page through "Start Game", the story and the loading page to the weapons page.
    void StartGameToWeapons()
    {
        ShowMain();
        Click(Page<TMainPage>(PageMain).Start.Rect);
        Wait(550);
        ASSERT_EQ(MenuPage, PageStory);
        Click(CentredRect(0, 0, 10, 10));
        Wait(550);   // the load runs in the loading page's first frame
        ASSERT_EQ(MenuPage, PageWeapons) << "the mission was not loaded";
    }

    void StartFlying()
    {
        ASSERT_EQ(MenuPage, PageWeapons);
        Click(Page<TWeaponsPage>(PageWeapons).Start.Rect);
        ASSERT_FALSE(MenuActive);
        ASSERT_EQ(GameKind, 2);
    }

    // The main page shown and laid out: which buttons its column holds depends on the game.
    void ShowMain()
    {
        Menu->ShowPage(PageMain);
        Frame();
    }

    TLoadPage &Loader() { return Page<TLoadPage>(PageLoad); }
    static std::string Level(const std::string &name) { return AppDir + "Data\\Maps\\" + name; }
};

// A new player's campaign: "Start Game" sets up the player's game, the story page leads to the
// first mission, the weapon chosen goes to the aircraft, the won mission shows its statistics and
// "Next" loads the next level. After a restart of the program "Resume Game" offers that level.
TEST_F(CampaignTest, FromStartGameToTheNextLevelAndAfterARestart)
{
    Mission("Level1.ses", WinToLevel2);
    Mission("Level2.ses", RunOn);
    StartMenu({"Ace"});
    Config->Players[0].Score = 700;
    Config->Players[0].Campaign = false;
    StartGameToWeapons();
    const TGamePlayer &ace = Config->Players[0];
    EXPECT_EQ(ace.Score, 0);
    EXPECT_EQ(ace.Level, "Level1.ses");
    EXPECT_EQ(ace.FirstScreen, "Data\\Menu\\Story.png");
    EXPECT_EQ(ace.LastScreen, "Data\\Menu\\Final.png");
    EXPECT_TRUE(ace.Campaign);
    EXPECT_TRUE(ace.ShowScore);
    EXPECT_EQ(GameKind, 1);
    EXPECT_EQ(Loader().Mission, Level("Level1.ses"));
    EXPECT_GT(Loader().NumberTexture, -1) << "the level's number picture of the game's data";

    // The four weapon buttons exclude each other; START hands the choice to the aircraft.
    auto &weapons = Page<TWeaponsPage>(PageWeapons);
    Click(weapons.Weapons[1].Rect);
    Click(weapons.Weapons[3].Rect);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(weapons.Weapons[std::size_t(i)].Selected, i == 3) << i;
    StartFlying();
    EXPECT_EQ(PlayerGamer()->SpecialChoice, 3);
    EXPECT_EQ(MenuPage, PageMain);

    FlyToTheEnd();
    Frame();
    EXPECT_EQ(MenuPage, PageStageComplete);
    EXPECT_EQ(ace.Level, "Level2.ses");
    TConfig saved;
    saved.Load((GameDir() / "Config.cfg").string());
    EXPECT_EQ(saved.Players[0].Level, "Level2.ses") << "the next level is saved at once";
    Wait(200);
    EXPECT_EQ(MenuPage, PageStageComplete) << "the page waits for Next";
    Click(Page<TStageCompletePage>(PageStageComplete).Next.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageWeapons);
    EXPECT_EQ(GameKind, 1);
    EXPECT_EQ(Loader().Mission, Level("Level2.ses"));

    // The program restarts: the saved player resumes at the second mission.
    MenuObject.reset();
    delete Config;
    Config = new TConfig();
    Config->Load((GameDir() / "Config.cfg").string());
    GameKind = 0;
    MenuObject = std::make_unique<TMenu>();
    Frame();
    auto &main = Page<TMainPage>(PageMain);
    EXPECT_FLOAT_EQ(main.Resume.Rect.CentreY(), 150) << "Resume Game heads the column";
    Click(main.Resume.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageWeapons);
    EXPECT_EQ(Loader().Mission, Level("Level2.ses"));
}

// The loading page: the bar runs through the loader's steps and the frame the load ends with is
// the finished screen darkened to half its brightness.
TEST_F(CampaignTest, TheLoadEndsOnTheDarkenedLoadingScreen)
{
    Mission("Level1.ses", RunOn);
    StartMenu({"Ace"});
    LoadMission(Level("Level1.ses"), false, true);
    Point(-470, 350);
    Frame();
    ASSERT_EQ(MenuPage, PageWeapons);
    EXPECT_GT(Menu->LoadingCount, TLoadPage::BarSteps) << "the bar ends full";
    const TScreen darkened = ReadScreen();
    Begin2D();
    Menu->DrawBackground();
    Loader().DrawScreen();
    const TScreen plain = ReadScreen();
    double dark = 0, bright = 0;
    for (std::size_t i = 0; i < plain.rgb.size(); ++i) {
        dark += darkened.rgb[i];
        bright += plain.rgb[i];
    }
    EXPECT_NEAR(dark / bright, 0.5, 0.06);
}

// A player who skips the score goes from the won mission straight on; an add-on map set plays its
// own levels and never enters the high-score table.
TEST_F(CampaignTest, AnAddOnSetSkipsTheScoreAndTheHighScoreEntry)
{
    Mission("Island1.ses", "{\nNextLevel Island2.ses\n}\n");
    Mission("Island2.ses", WinLast);
    WriteText(GameDir() / "Data" / "Maps" / "Islands.mod",
              "ButtonName=ISLANDS\r\nFirstScreen=Menu\\Final.png\r\nLastScreen=Menu\\Story.png\r\nFirstLevel=Island1.ses\r\n"
              "ShowScore=false\r\n");
    StartMenu({"Ace"});
    Config->Players[0].Score = 500;
    auto &main = Page<TMainPage>(PageMain);
    // The game's own add-on sets are listed too: this one is found by its caption.
    const auto islands = std::find_if(main.Mods.begin(), main.Mods.end(),
                                      [](const TModButton &b) { return b.Set.ButtonName == "ISLANDS"; });
    ASSERT_NE(islands, main.Mods.end());
    Click(islands->Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageStory);
    const TGamePlayer &ace = Config->Players[0];
    EXPECT_EQ(ace.Level, "Island1.ses");
    EXPECT_EQ(ace.FirstScreen, "Data\\Menu\\Final.png");
    EXPECT_EQ(ace.LastScreen, "Data\\Menu\\Story.png");
    EXPECT_FALSE(ace.Campaign);
    EXPECT_FALSE(ace.ShowScore);
    EXPECT_EQ(ace.Score, 0);
    Click(CentredRect(0, 0, 10, 10));
    Wait(550);
    StartFlying();
    FlyToTheEnd();
    Frame();   // no score page: the next level loads at once
    EXPECT_EQ(MenuPage, PageWeapons);
    EXPECT_EQ(Loader().Mission, Level("Island2.ses"));
    StartFlying();
    FlyToTheEnd();
    Frame();
    EXPECT_EQ(MenuPage, PageFinal);
    EXPECT_EQ(GameKind, 0);
    EXPECT_EQ(ace.Level, "");
    Click(CentredRect(0, 0, 10, 10));
    Wait(550);
    Wait(550);   // the country page passes on at once
    EXPECT_EQ(MenuPage, PageMain);
    for (const THighScore &entry : Config->HighScores)
        EXPECT_EQ(entry.Score, "0");
}

// A lost mission: RESTART loads it again, EXIT ends the game on the country page. A campaign whose
// next level is missing ends on the final page; a mission that does not compile, or a first level
// that is missing, says so on the main page.
TEST_F(CampaignTest, LostMissingAndBrokenMissions)
{
    Mission("Level1.ses", Lose);
    StartMenu({"Ace"});
    StartGameToWeapons();
    StartFlying();
    FlyToTheEnd();
    auto &lose = Page<TLosePage>(PageLose);
    PointAt(lose.Restart.Rect);
    Down[VkLeftButton] = true;   // the trigger held as the mission ends does not click
    Frame();
    Down[VkLeftButton] = false;
    EXPECT_EQ(MenuPage, PageLose);
    EXPECT_FALSE(Menu->TransitionActive);
    Click(lose.Restart.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageWeapons);
    EXPECT_EQ(Loader().Mission, Level("Level1.ses"));
    StartFlying();
    FlyToTheEnd();
    Frame();
    ASSERT_EQ(MenuPage, PageLose);
    Click(lose.Exit.Rect);
    EXPECT_EQ(GameKind, 0);
    Wait(550);
    EXPECT_EQ(MenuPage, PageCountry);

    // The campaign's next level is not there: the final page, the level kept for when it comes.
    Mission("Level1.ses", "{\nNextLevel Level16.ses\n}\n");
    StartGameToWeapons();
    StartFlying();
    FlyToTheEnd();
    Frame();
    Click(Page<TStageCompletePage>(PageStageComplete).Next.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageFinal);
    EXPECT_EQ(GameKind, 0);
    EXPECT_EQ(Config->Players[0].Level, "Level16.ses");

    // A script error, and a first level that is not there (an add-on set's, say): back on the main
    // page with the reason.
    auto &main = Page<TMainPage>(PageMain);
    for (const bool broken : {true, false}) {
        SCOPED_TRACE(broken ? "broken" : "missing");
        Mission("Level1.ses", Broken);
        ShowMain();
        Click(main.Start.Rect);
        Wait(550);
        ASSERT_EQ(MenuPage, PageStory);
        if (!broken)
            Config->Players[0].Level = "Nowhere.ses";
        Click(CentredRect(0, 0, 10, 10));
        Wait(550);
        EXPECT_EQ(MenuPage, PageMain);
        EXPECT_EQ(GameKind, 0);
        EXPECT_EQ(main.Notice, "The mission could not be loaded");
        Frame();
        Click(main.Options.Rect);
        EXPECT_EQ(main.Notice, "");
    }
}

// Escape in flight opens the pause page: Escape or BACK returns to the mission, YES leaves it paused
// for the main page, whose "Resume Game" continues it.
TEST_F(CampaignTest, PauseAndResume)
{
    Mission("Level1.ses", RunOn);
    StartMenu({"Ace"});
    // As the game wires it: Escape in flight hands the frame to the menu on the pause page.
    Environment->OnEscape = [] { Menu->ShowPage(PagePause); };
    StartGameToWeapons();
    StartFlying();
    Play(10);
    auto &pause = Page<TPausePage>(PagePause);
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "Escape" : "BACK");
        Down[VkEscape] = true;
        Play(1);
        Down[VkEscape] = false;
        ASSERT_TRUE(MenuActive);
        ASSERT_EQ(MenuPage, PagePause);
        Frame();
        if (way == 0)
            Press(VkEscape);
        else
            Click(pause.No.Rect);
        EXPECT_FALSE(MenuActive);
        EXPECT_EQ(GameKind, 2);
        Play(10);
    }
    Down[VkEscape] = true;
    Play(1);
    Down[VkEscape] = false;
    Environment->OnEscape = nullptr;
    Click(pause.Yes.Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageMain);
    EXPECT_EQ(GameKind, 2);
    auto &main = Page<TMainPage>(PageMain);
    EXPECT_FLOAT_EQ(main.Resume.Rect.CentreY(), 150);
    Click(main.Resume.Rect);
    EXPECT_FALSE(MenuActive);
    EXPECT_EQ(CurrentExchange()->Result, TMissionResult::Running);
}

// Typing a level-select code on the main page starts its mission; the sixteenth code does nothing.
TEST_F(CampaignTest, LevelCodesStartTheirMission)
{
    Mission("Level3.ses", RunOn);
    StartMenu({"Ace"});
    Config->Players[0].Campaign = false;
    Config->Players[0].ShowScore = false;
    Type(LevelCodes[15]);
    Wait(600);
    EXPECT_EQ(MenuPage, PageMain);
    EXPECT_FALSE(Menu->TransitionActive);
    Type("S8A6ON9");   // one key short of the first code
    Wait(600);
    EXPECT_EQ(MenuPage, PageMain);
    Type(LevelCodes[2]);
    Wait(550);
    EXPECT_EQ(MenuPage, PageWeapons);
    EXPECT_EQ(Loader().Mission, Level("Level3.ses"));
    EXPECT_TRUE(Config->Players[0].Campaign);
    EXPECT_TRUE(Config->Players[0].ShowScore);
}

TEST(StageComplete, AccuracyIsRoundedAndCountsNoShotsAsOne)
{
    const struct {
        int Shots, Hits, Percent;
    } cases[] = {{0, 0, 0}, {0, 2, 200}, {3, 1, 33}, {3, 2, 67}, {40, 30, 75}, {8, 8, 100}};
    for (const auto &c : cases)
        EXPECT_EQ(TStageCompletePage::Accuracy(c.Shots, c.Hits), c.Percent) << c.Shots << " " << c.Hits;
}

// The network pages: LAN leads to the servers of "Servers.txt" (an incomplete last group left out,
// a repeated server listed once); JOIN and the host's START call the network layer's hooks, and
// say so on the page while there are none.
TEST_F(CampaignTest, TheNetworkPagesReachTheNetworkLayer)
{
    WriteText(GameDir() / "Servers.txt", "Home\r\n192.168.0.2\r\n7777\r\nClub\r\nclub.example\r\n7000\r\n"
                                          "Home\r\n192.168.0.2\r\n7777\r\nHalf\r\nhalf.example\r\n");
    WriteText(GameDir() / "Data" / "Maps" / "MP" / "Harbour.ses", RunOn);
    WriteText(GameDir() / "Data" / "Maps" / "MP" / "Reef.ses", RunOn);
    StartMenu({"Ace"});
    auto &main = Page<TMainPage>(PageMain);
    EXPECT_FLOAT_EQ(main.Lan.Rect.CentreY(), 150 - 52 * 6) << "LAN closes the column";
    Click(main.Lan.Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageServers);
    auto &servers = Page<TServersPage>(PageServers);
    ASSERT_EQ(servers.Servers.size(), 2u);
    EXPECT_EQ(servers.Servers[0].Texts, (std::array<std::string, 3>{"Home", "192.168.0.2", "7777"}));
    EXPECT_EQ(servers.Servers[1].Texts[0], "Club");
    EXPECT_FALSE(servers.Join.Enabled) << "no server chosen yet";

    JoinNetworkGame = nullptr;
    Click(servers.Names[1].Rect);
    Click(servers.Join.Rect);
    EXPECT_EQ(servers.Notice, "Network games come in a later version");
    EXPECT_EQ(MenuPage, PageServers);
    std::vector<std::string> joined;
    JoinNetworkGame = [&](const TServerEntry &server) {
        joined.push_back(server.Texts[1]);
        return true;
    };
    Click(servers.Join.Rect);
    JoinNetworkGame = nullptr;
    EXPECT_EQ(joined, std::vector<std::string>{"club.example"});
    EXPECT_EQ(MenuPage, PageWait);
    EXPECT_TRUE(MenuActive);
    Press(VkEscape);   // a game that does not start
    Wait(550);
    ASSERT_EQ(MenuPage, PageServers);

    Click(servers.Host.Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageHost);
    auto &host = Page<THostPage>(PageHost);
    const auto reef = std::find(host.Maps.begin(), host.Maps.end(), "Reef.ses");
    ASSERT_NE(reef, host.Maps.end());
    EXPECT_NE(std::find(host.Maps.begin(), host.Maps.end(), "Harbour.ses"), host.Maps.end());
    Click(host.Names[std::size_t(reef - host.Maps.begin())].Rect);
    HostNetworkGame = nullptr;
    Click(host.Start.Rect);
    EXPECT_EQ(host.Notice, "Network games come in a later version");
    std::string hosted;
    HostNetworkGame = [&](const std::string &map) {
        hosted = map;
        return false;   // the port is taken, say
    };
    Click(host.Start.Rect);
    EXPECT_EQ(host.Notice, "The network game could not be started");
    EXPECT_TRUE(MenuActive);
    HostNetworkGame = [&](const std::string &map) {
        hosted = map;
        Environment->StartMission(map);
        return true;
    };
    Click(host.Start.Rect);
    HostNetworkGame = nullptr;
    EXPECT_EQ(hosted, AppDir + "Data\\Maps\\MP\\Reef.ses");
    EXPECT_FALSE(MenuActive);
    EXPECT_EQ(GameKind, 2);
}

} // namespace
