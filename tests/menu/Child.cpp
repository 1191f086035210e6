#include "tests/menu/Child.h"

#include "tests/TestUtil.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ServerArguments(const fs::path &storage, bool closed)
{
    std::vector<std::string> argv = {ZEPHRONA_TOOLS_DIR "/scoreserver", "0", storage.string()};
    if (closed)
        argv.push_back("--closed");
    return argv;
}

} // namespace

TScoreServer::TScoreServer(const fs::path &dir, const fs::path &storage, bool closed)
    : Child(dir, "scoreserver", ServerArguments(storage, closed))
{
    if (WaitForText(Child.OutFile, "\n", 10)) {
        const std::string out = Child.Out();
        const std::size_t at = out.find("http://");
        if (at != std::string::npos)
            Base = out.substr(at, out.find('\n', at) - at);
    }
}
