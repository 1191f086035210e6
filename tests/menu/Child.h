#pragma once
// The score server, run beside a test on a free port.

#include "tests/TestUtil.h"

#include <filesystem>
#include <string>

// The score server tool on a free port of 127.0.0.1, keeping its scores in Storage.
class TScoreServer {
public:
    TScoreServer(const std::filesystem::path &dir, const std::filesystem::path &storage, bool closed = false);
    std::string Base;   // "http://127.0.0.1:PORT"
    TChild      Child;
};
