#pragma once
// The tokenizer of the mission scripts: a finite automaton whose transition table is a data file,
// so the token syntax lives in "Data\Tables\Script.ptb", not in code.
//
// Table file ".ptb" (little-endian signed 32-bit words, no header):
//   word 0                      StateCount N (at least 1)
//   then N x 256 pairs          for each state 0..N-1, for each byte 0..255: Next, then Action
// so the file holds 4 + N x 2048 bytes. Every Next must be a state 0..N-1.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TArchiveStream;

// What a transition does with the byte it consumes. Any other code drops the byte like Skip.
enum class TParserAction : std::int32_t {
    Skip = 0,       // the byte is dropped, the token so far kept
    Clear = 1,      // the token so far is dropped, and the byte with it
    Append = 2,     // the byte is added to the token
    EmitKeep = 3,   // the token so far is complete; its text also starts the next token
    Emit = 4,       // the token so far is complete; the next one starts empty
};

struct TParserTransition {
    std::int32_t Next = 0;
    std::int32_t Action = 0;
};

using TParserState = std::array<TParserTransition, 256>;

class TTextParser {
public:
    // Reads the table file through the archive (or the disk). Throws "File not found: "path"" when
    // it is missing, "Riched End Of File" when it is shorter than its state count promises, and a
    // message naming the file, state and byte when a transition leads outside the table.
    explicit TTextParser(const std::string &tableFileName);
    // The same from the file's bytes; FileName only names the table in messages.
    TTextParser(const std::vector<std::uint8_t> &tableBytes, const std::string &fileName);

    void Reset();
    // Reads bytes until a token is complete and returns it, also writing it as one line to the log.
    // Empty: no token yet. A token still being collected when the stream ends comes out on the call
    // after the one that read the last byte.
    std::string GetToken(TArchiveStream &stream);

    std::int32_t              State = 0;    // current state, always inside Table
    std::string               Buffer;       // the token being collected; kept between calls
    std::vector<TParserState> Table;
    std::int32_t              StateCount = 0;

private:
    void LoadTable(const std::vector<std::uint8_t> &bytes, const std::string &fileName);
};
