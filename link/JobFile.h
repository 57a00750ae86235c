#pragma once

#include <string_view>

#include "job/JobText.h"

namespace velmar {

// Job files as velmar-cli compile writes them, turned back into the lines
// that Print sends. Line boundaries matter: the handshake comes after the
// line that takes the block past the flow limit.

// One job line per text line ("\n" after each; a "\r" before it is dropped,
// so a file saved with CR LF reads the same).
JobText JobFromTextLines(std::string_view text);

// Raw DM/PL bytes, lines back to back. A file that begins with ";:" starts
// with the header line, which runs through its first two blanks in a row.
// After that a line ends at every blank that closes a pen-up move ("U...")
// and is followed directly by another pen-up move: each burn line of a job
// is "U.. D.. D.. U.. " and the closing lines are single pen-up moves, so a
// compiled job splits back into exactly its own lines. Whatever follows the
// last such blank is the last line. The bytes themselves are kept unchanged.
JobText JobFromRawDmpl(std::string_view bytes);

}  // namespace velmar
