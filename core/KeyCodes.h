#pragma once
// The key codes the game itself names: Windows virtual-key codes, the game's currency for keys and
// mouse buttons everywhere (keys.cfg, the menus, the frame loop), and after them the game
// controller's buttons, bound like keys.

constexpr int VkLeftButton = 1, VkRightButton = 2, VkMiddleButton = 4;
constexpr int VkBackspace = 8, VkTab = 9, VkReturn = 13, VkShift = 16, VkControl = 17, VkMenu = 18;
constexpr int VkEscape = 27, VkSpace = 32;
constexpr int VkLeft = 37, VkUp = 38, VkRight = 39, VkDown = 40;

// The pad's buttons, named "JOY1".."JOY10": A, B, X, Y, the left and right shoulder buttons, Back,
// Start, and the left and right triggers, which count as pressed when pulled past half way.
constexpr int VkPadFirst = 256, VkPadCount = 10;
constexpr int VkPadA = 256, VkPadB = 257, VkPadX = 258, VkPadY = 259;
constexpr int VkPadLeftShoulder = 260, VkPadRightShoulder = 261, VkPadBack = 262, VkPadStart = 263;
constexpr int VkPadLeftTrigger = 264, VkPadRightTrigger = 265;

// Every code the key state polls: 0..255 the keyboard and mouse, 256..265 the pad.
constexpr int KeyCodeCount = VkPadFirst + VkPadCount;
