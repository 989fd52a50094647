// Output files, checked before anything is written and written so that a failed run
// leaves an earlier file as it was. Every program names its outputs to checkOutputs before
// it empties any, then writes each through an OutputFile.
#pragma once

#include <fstream>
#include <string>
#include <vector>

struct OutputRequest {
  std::string what;  // how messages name it: "--maxima", "-o", "the output file"
  std::string path;
};

// True when name holds a control character (a NUL, a line end, a tab, ...), which no
// output's name may hold.
bool hasControlCharacter(const std::string& name);

// True when every output can be written without harm: its path is not empty, names no
// folder, lies in a folder that exists and can be written, is none of inputs under any
// name or link (same device and inode), and no two outputs are one file. Else false, with
// *error one line naming the output, what it is and what is accepted. Nothing is
// created or changed.
bool checkOutputs(const std::vector<OutputRequest>& outputs, const std::vector<std::string>& inputs,
                  std::string* error);

// One output. A regular file, or a name not yet taken, is written beside it as
// "<name>.partial" and renamed over it only by commit(), so that an earlier file stays as
// it was until the new one is whole; a symbolic link to a regular file keeps its link and
// has its target replaced. A device (/dev/null) or a FIFO is written into, never replaced,
// and an open stream (/dev/stdout, /dev/fd/N) is written where it stands, after what the
// program printed.
class OutputFile {
 public:
  OutputFile(std::string what, std::string path);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes a partial file that was never committed.
  virtual ~OutputFile();

  // Opens the file to be written. False, with *error one line giving the
  // system's reason, when it cannot be.
  bool open(std::string* error);
  // Where to write; only after a successful open.
  std::ostream& stream() { return out; }
  // Flushes and closes the file and puts it in place. False, with *error one line,
  // when a write failed (a full device, ...) or it cannot be put in place; an earlier
  // regular file then stays as it was.
  bool commit(std::string* error);

 private:
  bool fail(const std::string& doing, int cause, std::string* error);

  std::string what;
  std::string path;
  std::string target;       // the regular file that path stands for; "" for a device or stream
  std::string writtenPath;  // path itself, or the partial file beside the target
  std::ofstream out;
  bool pending = false;  // a partial file exists that commit has not yet renamed
};
