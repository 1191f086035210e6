#pragma once
// The menu on a real GL context (Mesa under Xvfb), with the built game's archive in a private game
// folder, a keyboard and mouse of the test's own, and the cursor placed in virtual menu units.

#include "assets/TextureLib.h"
#include "core/App.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Out2D.h"
#include "menu/Menu.h"
#include "menu/MenuDraw.h"
#include "menu/Pages.h"
#include "tests/hud/GLWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class MenuTest : public testing::Test {
protected:
    // The game folder of this test program: the built archive and the user files.
    static std::filesystem::path GameDir();

    void SetUp() override;
    void TearDown() override;

    // Creates the menu with the locale of Language and the players named; Settings, when given,
    // changes the configuration before the menu is made and its first frame runs.
    void StartMenu(std::vector<std::string> players = {"Ace"}, int language = 0,
                   const std::function<void(TConfig &)> &settings = nullptr);

    template <class TPage> TPage &Page(int index) { return dynamic_cast<TPage &>(*Menu->Pages[std::size_t(index)]); }

    void Frame(int dt = 25);           // as the frame loop runs it: keys, the music step, the menu
    void Wait(int ms);                 // frames of 25 ms
    void Point(float x, float y);      // the menu cursor onto virtual (X, Y)
    void PointAt(const TVRect &r) { Point(r.CentreX(), r.CentreY()); }
    void Click(const TVRect &r);       // press and let go of the left button there, a frame each
    void Press(int vk);                // press and let go of a key, a frame each
    void Type(const std::string &keys);

    std::array<bool, KeyCodeCount> Down{};   // the test's keyboard, mouse buttons and pad buttons
    std::unique_ptr<TMenu> MenuObject;
};
