// Opening an input file to read it as a stream, with the system's reason when it cannot be.
#pragma once

#include <fstream>
#include <string>

// Opens path for reading into in. "" when it is open; else why not, as a message shows it:
// the system's reason ("No such file or directory", "Permission denied"), or "a folder;
// accepted: a file" for a folder.
std::string openInput(const std::string& path, std::ifstream& in);
