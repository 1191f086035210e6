#include "core/Log.h"

#include "core/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

TLOgFile *LogFile = nullptr;

TLOgFile::TLOgFile(std::string fileName, bool enabled) : FileName(std::move(fileName)), Enabled(enabled)
{
    if (!Enabled)
        return;
    File = std::fopen(FileName.c_str(), "wb");
    if (!File)
        throw std::runtime_error("Cannot create \"" + FileName + "\": " + std::strerror(errno));
}

TLOgFile::~TLOgFile()
{
    if (File)
        std::fclose(File);
}

void TLOgFile::Write(std::string_view text)
{
    if (!Enabled)
        return;
    bool ok = std::fwrite(text.data(), 1, text.size(), File) == text.size();
    ok = std::fwrite("\r\n", 1, 2, File) == 2 && ok;
    ok = std::fflush(File) == 0 && ok;
    if (!ok)
        throw std::runtime_error("Cannot write to \"" + FileName + "\": " + std::strerror(errno));
}

void LogWrite(std::string_view text)
{
    if (LogFile)
        LogFile->Write(text);
}

void ErrorBox(bool failed, std::string_view message)
{
    if (!failed)
        return;
    if (AskAbortRetryIgnore(message) == TBoxAnswer::Abort) {
        // A halt, not a shut-down: nothing is saved and no destructor runs.
        std::fflush(nullptr);
        std::_Exit(ExitAborted);
    }
}
