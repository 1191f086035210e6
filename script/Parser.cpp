#include "script/Parser.h"

#include "core/Bytes.h"
#include "core/Log.h"
#include "data/Extractor.h"

#include <stdexcept>

namespace {

// A short table gives the file objects' message, whatever part of it is missing.
constexpr const char *EndOfFile = "Riched End Of File";

} // namespace

TTextParser::TTextParser(const std::string &tableFileName)
{
    TIntegerFile file(tableFileName, Extractor);
    LoadTable(file.Data, tableFileName);
}

TTextParser::TTextParser(const std::vector<std::uint8_t> &tableBytes, const std::string &fileName)
{
    LoadTable(tableBytes, fileName);
}

void TTextParser::LoadTable(const std::vector<std::uint8_t> &bytes, const std::string &fileName)
{
    constexpr std::size_t StateBytes = 256 * 8;
    TByteReader reader(bytes);   // no message of its own: a short read only sets Overflow
    const std::int32_t count = reader.Int();
    if (reader.Overflow())
        throw std::runtime_error(EndOfFile);
    if (count < 1)
        throw std::runtime_error("Tokenizer table \"" + fileName + "\" has " + std::to_string(count) +
                                 " states; it needs at least one");
    // The size is checked before anything is allocated: a damaged count must not ask for gigabytes.
    if (!reader.Need(std::uint64_t(count) * StateBytes))
        throw std::runtime_error(EndOfFile);
    std::vector<TParserState> table(static_cast<std::size_t>(count));
    for (std::int32_t state = 0; state < count; ++state)
        for (int byte = 0; byte < 256; ++byte) {
            TParserTransition &t = table[std::size_t(state)][std::size_t(byte)];
            t.Next = reader.Int();
            t.Action = reader.Int();
            if (t.Next < 0 || t.Next >= count)
                throw std::runtime_error("Tokenizer table \"" + fileName + "\": state " + std::to_string(state) +
                                         ", byte " + std::to_string(byte) + " leads to state " +
                                         std::to_string(t.Next) + ", outside 0.." + std::to_string(count - 1));
        }
    Table = std::move(table);
    StateCount = count;
    Reset();
}

void TTextParser::Reset()
{
    Buffer.clear();
    State = 0;
}

std::string TTextParser::GetToken(TArchiveStream &stream)
{
    std::string token;
    for (;;) {
        std::uint8_t byte = 0;
        if (stream.Read(&byte, 1) == 0) {
            // The end of the stream completes the pending token. With no byte there is no transition;
            // the automaton starts afresh, so a comment left open at the end of one script cannot
            // swallow the first line of the next.
            token = std::move(Buffer);
            Buffer.clear();
            State = 0;
            break;
        }
        const TParserTransition &t = Table[std::size_t(State)][byte];
        bool complete = false;
        switch (TParserAction(t.Action)) {
        case TParserAction::Clear:
            Buffer.clear();
            break;
        case TParserAction::Append:
            Buffer += char(byte);
            break;
        case TParserAction::EmitKeep:
            token = Buffer;
            complete = true;
            break;
        case TParserAction::Emit:
            token = std::move(Buffer);
            Buffer.clear();
            complete = true;
            break;
        default:
            break;
        }
        State = t.Next;
        if (complete || stream.Pos >= stream.Size())
            break;
    }
    LogWrite(token);
    return token;
}
