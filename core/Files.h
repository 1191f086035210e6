#pragma once
// Where game paths meet the disk. Game code writes paths with backslashes ("Data\Menu\Logo.png");
// only here do they become slashes, and a name whose exact letter case does not exist is found by a
// case-insensitive match of each path component.

#include <string>
#include <string_view>

// The directory of the running executable, with a trailing "/".
std::string ExecutableDir();
// The running executable's own path.
std::string ExecutablePath();

// The disk path for a game path: "\" becomes "/", and each component that does not exist with its
// exact case is replaced by the one entry of its directory that matches it ignoring case (the first
// in name order if several do). Components with no match are kept as written.
std::string DiskPath(std::string_view gamePath);

// True when the game path names an existing regular file.
bool FileExists(std::string_view gamePath);

// The absolute form of a disk path (relative paths are taken from the working directory).
std::string AbsolutePath(const std::string &diskPath);
