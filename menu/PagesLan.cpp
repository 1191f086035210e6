// The network pages: the server list, the host's map choice and the wait picture. What they start
// belongs to the network layer, reached through JoinNetworkGame and HostNetworkGame.

#include "menu/Pages.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/DataFiles.h"
#include "data/Extractor.h"
#include "data/Locale.h"

#include <GL/gl.h>

#include <fstream>

namespace {

constexpr std::size_t ListRows = 7;    // list entries shown on a page
constexpr float       ListTop = 150, ListStep = 46;

int LoadHeading(const std::string &name)
{
    const std::string path = AppDir + "Data\\Menu\\" + Translate(name, 0);
    if (!TextureLib || !DataFileExists(path))
        return -1;
    return TextureLib->Load(path, GL_LINEAR, GL_LINEAR);
}

// The page heading picture (512 x 128) above the panel.
void DrawHeading(int texture)
{
    if (texture >= 0)
        DrawImageIn(texture, TVRect{-256, 196, 256, 324});
}

// A list of names as buttons, one of them chosen; returns the index clicked this frame, or -1.
int ListFrame(std::vector<TButton> &names, int chosen, float cursorX, float cursorY)
{
    int clicked = -1;
    for (std::size_t i = 0; i < names.size() && i < ListRows; ++i) {
        names[i].Rect = CentredRect(0, ListTop - ListStep * float(i), 460, 40);
        names[i].Marked = int(i) == chosen;
        if (names[i].Frame(cursorX, cursorY))
            clicked = int(i);
    }
    return clicked;
}

TButton ListButton(const std::string &caption)
{
    return TButton(TVRect{}, caption, MenuFont, MenuArt.ButtonIn, MenuArt.ButtonOut);
}

std::string NotAvailable() { return Translate("Network games come in a later version", 1); }

} // namespace

// ---- Servers ------------------------------------------------------------------------------------

std::vector<TServerEntry> ReadServerFile(const std::string &fileName)
{
    std::vector<TServerEntry> servers;
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return servers;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(TrimText(line));
    }
    // Whole groups of three only: a last group cut short is no server.
    for (std::size_t i = 0; i + 3 <= lines.size(); i += 3) {
        TServerEntry server;
        server.Texts = {lines[i], lines[i + 1], lines[i + 2]};
        servers.push_back(server);
    }
    return servers;
}

TServersPage::TServersPage()
    : Host(MenuButton(-170, -226, "HOST", 1, 160)), Join(MenuButton(0, -226, "JOIN", 1, 160)),
      Back(MenuButton(170, -226, "BACK", 1, 160))
{
    HeadingTexture = LoadHeading("Servers.png");
    for (const TServerEntry &server : ReadServerFile(AppDir + "Servers.txt"))
        AddServer(server);
}

void TServersPage::AddServer(const TServerEntry &server)
{
    for (TServerEntry &known : Servers)
        if (known.Texts == server.Texts) {
            known.Stamp = GameClock;
            return;
        }
    TServerEntry added = server;
    added.Stamp = GameClock;
    Servers.push_back(added);
}

void TServersPage::Frame(int, float cursorX, float cursorY)
{
    DrawHeading(HeadingTexture);
    DrawPanel(TVRect{-300, -270, 300, 186});
    while (Names.size() < Servers.size())
        Names.push_back(ListButton(""));
    Names.resize(Servers.size());
    for (std::size_t i = 0; i < Servers.size(); ++i)
        Names[i].Caption = Servers[i].Texts[0];
    if (Servers.empty())
        DrawMenuText(Translate("No servers", 1), MenuFont, 0, ListTop, TAlign::Centre, DimColor);
    const int clicked = ListFrame(Names, Chosen, cursorX, cursorY);
    if (clicked >= 0) {
        Clicked();
        Chosen = clicked;
        Notice.clear();
    }
    if (!Notice.empty())
        DrawMenuText(Notice, MenuSmallFont, 0, -180, TAlign::Centre, CaretColor);
    Join.Enabled = Chosen >= 0 && Chosen < int(Servers.size());
    if (Host.Frame(cursorX, cursorY)) {
        Clicked();
        Notice.clear();
        Menu->SetPage(PageHost);
    }
    if (Join.Frame(cursorX, cursorY)) {
        Clicked();
        if (!JoinNetworkGame) {
            Notice = NotAvailable();
        } else if (JoinNetworkGame(Servers[std::size_t(Chosen)])) {
            Notice.clear();
            Menu->MissionEndHandled = false;
            Menu->ShowPage(PageWait);
        } else {
            LogWrite("Cannot join the network game at " + Servers[std::size_t(Chosen)].Texts[0]);
            Notice = Translate("The network game could not be started", 1);
        }
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Notice.clear();
        Menu->SetPage(PageMain);
    }
}

// ---- Host ---------------------------------------------------------------------------------------

THostPage::THostPage() : Start(MenuButton(-140, -226, "START", 1, 250)), Back(MenuButton(140, -226, "BACK", 1, 250))
{
    HeadingTexture = LoadHeading("Host.png");
    Show();
}

void THostPage::Show()
{
    // The maps are looked for on every visit: a map copied in meanwhile is offered.
    Maps = ListDataFiles(AppDir + "Data\\Maps\\MP", ".ses");
    Names.clear();
    for (const std::string &map : Maps)
        Names.push_back(ListButton(map.substr(0, map.size() - 4)));
    if (Chosen >= int(Maps.size()))
        Chosen = -1;
    if (Chosen < 0 && !Maps.empty())
        Chosen = 0;
    Notice.clear();
}

void THostPage::Frame(int, float cursorX, float cursorY)
{
    DrawHeading(HeadingTexture);
    DrawPanel(TVRect{-300, -270, 300, 186});
    if (Maps.empty())
        DrawMenuText(Translate("No multiplayer maps", 1), MenuFont, 0, ListTop, TAlign::Centre, DimColor);
    const int clicked = ListFrame(Names, Chosen, cursorX, cursorY);
    if (clicked >= 0) {
        Clicked();
        Chosen = clicked;
        Notice.clear();
    }
    if (!Notice.empty())
        DrawMenuText(Notice, MenuSmallFont, 0, -180, TAlign::Centre, CaretColor);
    Start.Enabled = Chosen >= 0 && Chosen < int(Maps.size());
    if (Start.Frame(cursorX, cursorY)) {
        Clicked();
        const std::string map = AppDir + "Data\\Maps\\MP\\" + Maps[std::size_t(Chosen)];
        if (!HostNetworkGame) {
            Notice = NotAvailable();
        } else if (HostNetworkGame(map)) {
            Menu->MissionEndHandled = false;
            GameKind = 2;
            MenuActive = false;
            MenuPage = PageMain;
        } else {
            LogWrite("Cannot host the network game on " + map);
            Notice = Translate("The network game could not be started", 1);
        }
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageServers);
    }
}

// ---- Wait ---------------------------------------------------------------------------------------

void TWaitPage::Frame(int, float, float)
{
    DrawScreenPicture(Menu->WaitTexture);
    // A game that never starts must not hold the player here: Escape goes back to the servers.
    if (EscapePressed()) {
        Clicked();
        if (LeaveNetworkGame)
            LeaveNetworkGame();
        Menu->SetPage(PageServers);
    }
}
