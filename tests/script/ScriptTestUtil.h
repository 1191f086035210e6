#pragma once
// Shared by the script tests: a private temporary folder, files written into it, and the paths of
// the built tokenizer table and tools.

#include "tests/TestUtil.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace scripttest {

namespace fs = std::filesystem;

inline const std::string StagedTable = ZEPHRONA_STAGE_DIR "/Data/Tables/Script.ptb";
inline const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;

// A folder of its own for each test, removed afterwards, that writes the scripts under test.
class TScriptDir : public ::TTempDir {
public:
    explicit TScriptDir(const std::string &name) : ::TTempDir("script-" + name) {}

    // Writes Bytes to Name inside the folder and returns its path.
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        const fs::path file = Path / name;
        WriteText(file, bytes);
        return file.string();
    }
};

} // namespace scripttest
