// Runs arbitrary bytes through the program's input path: the bytes are split at zero bytes
// into "VLMin.txt" and the seven site files (in the order AW2&3, AW4&5, ASall, Class%,
// GVWpdf, FlowR, NHM), written into the working folder, then read, checked and, when the
// input is accepted, a few hundred vehicles are generated and written. Draws give up after
// a small number of rejections. Writes only inside the working folder.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns 0; anything that goes wrong shows as a crash or a sanitizer report.
int runFuzzInput(const std::uint8_t* data, std::size_t size);
