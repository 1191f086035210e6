#include "script/Parser.h"

#include "core/Log.h"
#include "data/Extractor.h"

#include <stdexcept>

namespace {

std::int32_t WordAt(const std::vector<std::uint8_t> &bytes, std::size_t at)
{
    return std::int32_t(std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
                        std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24);
}

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
    if (bytes.size() < 4)
        throw std::runtime_error("Riched End Of File");
    const std::int32_t count = WordAt(bytes, 0);
    if (count < 1)
        throw std::runtime_error("Tokenizer table \"" + fileName + "\" has " + std::to_string(count) +
                                 " states; it needs at least one");
    // The size is checked before anything is allocated: a damaged count must not ask for gigabytes.
    if ((bytes.size() - 4) / StateBytes < std::size_t(count))
        throw std::runtime_error("Riched End Of File");
    std::vector<TParserState> table(static_cast<std::size_t>(count));
    std::size_t at = 4;
    for (std::int32_t state = 0; state < count; ++state)
        for (int byte = 0; byte < 256; ++byte, at += 8) {
            TParserTransition &t = table[std::size_t(state)][std::size_t(byte)];
            t.Next = WordAt(bytes, at);
            t.Action = WordAt(bytes, at + 4);
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
