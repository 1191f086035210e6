#pragma once
// Shared by the script tests: a private temporary folder, files written into it, and the paths of
// the built tokenizer table and tools.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace scripttest {

namespace fs = std::filesystem;

inline const std::string StagedTable = ZEPHRONA_STAGE_DIR "/Data/Tables/Script.ptb";
inline const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;

// A folder of its own for each test, removed afterwards.
class TTempDir {
public:
    explicit TTempDir(const std::string &name)
        : Path(fs::temp_directory_path() / ("zephrona-script-" + name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~TTempDir() { fs::remove_all(Path); }

    // Writes Bytes to Name inside the folder and returns its path.
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        const fs::path file = Path / name;
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return file.string();
    }

    const fs::path Path;
};

inline std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace scripttest
