#include "tests/TestUtil.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void WriteBytes(const fs::path &path, const std::vector<std::uint8_t> &bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteText(const fs::path &path, const std::string &text)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TTempDir::TTempDir(const std::string &tag)
    : Path(fs::temp_directory_path() / ("zephrona-" + tag + "-" + std::to_string(::getpid())))
{
    fs::remove_all(Path);
    fs::create_directories(Path);
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    fs::remove_all(Path, ec);
}

TToolRun RunTool(const fs::path &dir, const std::string &commandLine)
{
    const fs::path out = dir / "out.txt", err = dir / "err.txt";
    const std::string command = "cd '" + dir.string() + "' && " + commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}
