// The player pages, the high-score table, the credits and the country entry.

#include "menu/Pages.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "data/Config.h"
#include "data/Locale.h"
#include "menu/HighScore.h"

#include <GL/gl.h>

namespace {

constexpr float ButtonStep = 52;

// Lays the shown buttons out downwards from Top and returns the lowest centre.
float StackButtons(const std::vector<TButton *> &buttons, float top)
{
    float y = top;
    for (TButton *b : buttons) {
        b->Rect = CentredRect(b->Rect.CentreX(), y, b->Rect.Right - b->Rect.Left, b->Rect.Top - b->Rect.Bottom);
        y -= ButtonStep;
    }
    return y + ButtonStep;
}

} // namespace

// ---- Players ------------------------------------------------------------------------------------

TPlayersPage::TPlayersPage() : Create(MenuButton(0, 0, "CREATE")), Delete(MenuButton(0, 0, "DELETE")), Back(MenuButton(0, 0, "BACK"))
{
    for (std::size_t i = 0; i < Names.size(); ++i)
        Names[i] = TButton(CentredRect(0, 180 - 46 * float(i), 300, 40), "", MenuFont, MenuArt.ButtonIn, MenuArt.ButtonOut);
}

void TPlayersPage::Frame(int, float cursorX, float cursorY)
{
    const int count = std::clamp(Config->PlayerCount, 0, int(Names.size()));
    std::vector<TButton *> shown;
    if (count < int(Config->Players.size()))
        shown.push_back(&Create);
    if (count > 0)
        shown.insert(shown.end(), {&Delete, &Back});
    const float top = 180 - 46 * float(std::max(count, 1)) - 24;
    const float bottom = StackButtons(shown, top);
    DrawPanel(TVRect{-190, bottom - 44, 190, 268});
    DrawMenuText(Translate("PLAYERS", 1), MenuBigFont, 0, 228, TAlign::Centre, TitleColor);

    for (int i = 0; i < count; ++i) {
        TButton &name = Names[std::size_t(i)];
        name.Caption = Config->Players[std::size_t(i)].Name;
        name.Marked = i == Config->CurrentPlayer;
        if (name.Frame(cursorX, cursorY)) {
            Clicked();
            Config->CurrentPlayer = i;
        }
    }
    if (count < int(Config->Players.size()) && Create.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageCreatePlayer);
    }
    if (count > 0 && Delete.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageDelete);
    }
    if (count > 0 && Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageMain);
    }
}

// ---- Create player ------------------------------------------------------------------------------

TCreatePlayerPage::TCreatePlayerPage() : Ok(MenuButton(0, 30, "OK")), Back(MenuButton(0, -22, "BACK")) { Show(); }

void TCreatePlayerPage::Show()
{
    Entry.Text = Translate("Anonymous", 1);
    Entry.CaretTime = 500;
    Created = false;
}

void TCreatePlayerPage::Frame(int dt, float cursorX, float cursorY)
{
    // BACK is shown from the start but takes no hover or click until a player exists.
    const bool players = Config->PlayerCount > 0;
    Back.Enabled = players;
    DrawPanel(TVRect{-280, -66, 280, 268});
    DrawMenuText(Translate("ENTER NICK NAME", 1), MenuBigFont, 0, 210, TAlign::Centre, TitleColor);
    const bool entered = Entry.Update(dt);
    Entry.Draw(CentredRect(0, 120, 470, 54), MenuBigFont);
    const bool ok = Ok.Frame(cursorX, cursorY);
    if (ok)
        Clicked();
    if ((ok || entered) && !Created) {
        // A name of blanks only is no name; a seventh player has no slot.
        const std::string name = Entry.Trimmed();
        if (!name.empty() && Config->PlayerCount < int(Config->Players.size())) {
            TGamePlayer player;
            player.Name = name;
            Config->Players[std::size_t(Config->PlayerCount)] = player;
            Config->CurrentPlayer = Config->PlayerCount;
            ++Config->PlayerCount;
            Created = true;
            Menu->SetPage(PageMain);
        }
    }
    if (Back.Frame(cursorX, cursorY) && players) {
        Clicked();
        Menu->SetPage(PageMain);
    }
}

// ---- High score ---------------------------------------------------------------------------------

THighScorePage::THighScorePage()
    : Clear(MenuButton(0, -170, "CLEAR HIGHSCORE TABLE", 1, 460)), World(MenuButton(0, -222, "VIEW WORLD'S HIGHSCORE", 1, 460)),
      Back(MenuButton(0, -274, "BACK"))
{
}

void THighScorePage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-320, -318, 320, 268});
    DrawMenuText(Translate("HIGH SCORE", 1), MenuBigFont, 0, 230, TAlign::Centre, TitleColor);
    DrawMenuText(Translate("Place", 1), MenuSmallFont, -270, 190, TAlign::Left, DimColor);
    DrawMenuText(Translate("Name", 1), MenuSmallFont, -170, 190, TAlign::Left, DimColor);
    DrawMenuText(Translate("Score", 1), MenuSmallFont, 270, 190, TAlign::Right, DimColor);
    for (std::size_t i = 0; i < Config->HighScores.size(); ++i) {
        const float y = 158 - 30 * float(i);
        const TRGB color = i == 0 ? HighlightColor : LimeColor;
        DrawMenuText(std::to_string(i + 1) + ".", MenuFont, -270, y, TAlign::Left, color);
        DrawMenuText(Config->HighScores[i].Name, MenuFont, -170, y, TAlign::Left, color);
        DrawMenuText(Config->HighScores[i].Score, MenuFont, 270, y, TAlign::Right, color);
    }
    if (Clear.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageClear);
    }
    if (World.Frame(cursorX, cursorY)) {
        Clicked();
        ViewWorldHighScore();
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageMain);
    }
}

// ---- Credits ------------------------------------------------------------------------------------

THelpPage::THelpPage()
    : Prev(MenuButton(-200, -290, "PREV", 1, 170)), Next(MenuButton(200, -290, "NEXT", 1, 170)),
      Back(MenuButton(0, -290, "BACK", 1, 170))
{
    const int texture =
        TextureLib->Load(AppDir + "Data\\Menu\\" + Translate("Help", 0) + "1" + ".png", GL_NEAREST, GL_NEAREST);
    Panels.emplace_back(texture, TVRect{-300, -250, 300, 206});
}

void THelpPage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-330, -334, 330, 268});
    DrawMenuText(Translate("CREDITS", 1), MenuBigFont, 0, 236, TAlign::Centre, TitleColor);
    Current = std::clamp(Current, 0, int(Panels.size()) - 1);
    Panels[std::size_t(Current)].Frame(cursorX, cursorY);
    if (Prev.Frame(cursorX, cursorY)) {
        Clicked();
        Current = std::max(0, Current - 1);
    }
    if (Next.Frame(cursorX, cursorY)) {
        Clicked();
        Current = std::min(int(Panels.size()) - 1, Current + 1);
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageMain);
    }
}

// ---- Country ------------------------------------------------------------------------------------

TCountryPage::TCountryPage() : Ok(MenuButton(0, 30, "OK")) {}

void TCountryPage::Frame(int dt, float cursorX, float cursorY)
{
    const bool hasPlayer = Config->CurrentPlayer >= 0 && Config->CurrentPlayer < Config->PlayerCount;
    // Add-on map sets keep no high score: straight on to the main page.
    if (!Confirmed && (!hasPlayer || !Config->Players[std::size_t(Config->CurrentPlayer)].Campaign)) {
        Confirmed = true;
        Menu->SetPage(PageMain);
    }
    DrawPanel(TVRect{-280, -14, 280, 268});
    DrawMenuText(Translate("ENTER COUNTRY", 1), MenuBigFont, 0, 210, TAlign::Centre, TitleColor);
    const bool entered = Entry.Update(dt);
    Entry.Draw(CentredRect(0, 120, 470, 54), MenuBigFont);
    const bool ok = Ok.Frame(cursorX, cursorY);
    if (ok)
        Clicked();
    if ((ok || entered) && !Confirmed) {
        Confirmed = true;
        Country = Entry.Trimmed();
        Menu->SetPage(PageSendHighScore);
        Config->AddHighScore();
        Config->Save(AppDir + "Config.cfg");
    }
}
