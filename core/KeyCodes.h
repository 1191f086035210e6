#pragma once
// The key codes the game itself names: Windows virtual-key codes, the game's currency for keys and
// mouse buttons everywhere (keys.cfg, the menus, the frame loop).

constexpr int VkLeftButton = 1, VkRightButton = 2, VkMiddleButton = 4;
constexpr int VkBackspace = 8, VkTab = 9, VkReturn = 13, VkShift = 16, VkControl = 17, VkMenu = 18;
constexpr int VkEscape = 27, VkSpace = 32;
constexpr int VkLeft = 37, VkUp = 38, VkRight = 39, VkDown = 40;
