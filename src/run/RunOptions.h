// What the command line asks of a run beyond its parameter file.
#pragma once

#include "output/RecordLayout.h"

struct RunOptions {
  RecordFormat format = RecordFormat::fixedColumns;  // of the output file
};
