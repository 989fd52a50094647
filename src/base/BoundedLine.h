// One line of a text stream read in bounded memory: a line may be no longer than a limit
// and may hold no NUL byte, so that an endless or binary input (a device, a file of zeros)
// is refused at its first such line instead of being read until memory runs out. The line
// end ("\n", or "\r\n") is not kept.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

enum class LineRead {
  line,       // *line holds the line
  end,        // no more lines
  tooLong,    // the line goes on past maxLength characters; nothing more is read
  nulByte,    // the line holds a NUL byte: the input is not text
  readError,  // the stream failed before its end
};

// Reads the next line of in into *line (at most maxLength characters, without its line
// end). After tooLong, nulByte or readError the stream is not to be read further.
LineRead readBoundedLine(std::istream& in, std::string* line, std::size_t maxLength);

// What a refused line is, for a message: "longer than N characters", "holds a NUL byte:
// no text", "could not be read to its end"; "" for line and end.
std::string lineReadProblem(LineRead read, std::size_t maxLength);
