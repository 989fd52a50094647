// Daily maxima files, as velmora and velmora-load write them, read back for fitting: every
// effect's daily values in day order, one run for each file, and their block maxima.
#pragma once

#include <istream>
#include <limits>
#include <string>
#include <vector>

// The last day a maxima or event maxima file may number.
constexpr long long maxMaximaDay = std::numeric_limits<int>::max();

struct EffectMaxima {
  std::string effect;
  std::string unit;                       // "kN·m", ...; "" when the files do not say
  std::vector<std::vector<double>> runs;  // each file's daily maxima, day 1 first
};

// Reads the files into *effects, the effects in the order they first appear. False, with
// *error one line naming the file (and line), for a file that is not a maxima
// file, a row that is not one (a last row cut short without its line end included), a row
// whose day does not follow the effect's day before, a file without rows, or a file whose
// effects, days or units differ from the first file's. Files written before the unit
// column (the header without its last column) read with their unit unknown, and so do
// files of the least form, "effect,day,max" (any series of daily maxima), which may add a
// last column "unit". Days are whole numbers.
bool readMaximaFiles(const std::vector<std::string>& paths, std::vector<EffectMaxima>* effects,
                     std::string* error);

// Maxima held in memory, as a maxima file's text, under the name that messages give them.
struct NamedStream {
  std::string name;
  std::istream* in = nullptr;
};

// As readMaximaFiles, from streams in the maxima files' form: one run each.
bool readMaximaStreams(const std::vector<NamedStream>& inputs, std::vector<EffectMaxima>* effects,
                       std::string* error);

// The greatest value of every whole block of blockDays days, run by run; the days that do
// not fill a block at a run's end are left out.
std::vector<double> blockMaxima(const EffectMaxima& effect, int blockDays);
