// The fatigue files' rows, as velmora and velmora-load write them and velmora-campaign adds
// them up. The spectra: "effect,range_from,range_to,cycles,unit", for each effect its
// non-empty bins in rising order, cycles counting a half cycle as 0.5. The damage:
// "effect,detail_category,cycles,damage,equivalent_range_mpa", for each effect and
// category the cycles at or above the cut-off limit, the Miner sum and the equivalent
// range at 2e6 cycles.
#pragma once

#include <ostream>
#include <string>

#include "load/FatigueTally.h"

namespace fatigue_rows {

const char* spectrumHeader();
const char* damageHeader();

// The numbers as the rows show them: ranges and categories with up to ten significant
// digits, cycles with one decimal, damage with ten significant digits, MPa with three
// decimals.
std::string rangeText(double value);
std::string cyclesText(double cycles);
std::string damageText(double damage);
std::string mpaText(double mpa);

// The spectrum rows of one effect, its name and unit quoted as CSV fields already.
void writeSpectrum(std::ostream& out, const std::string& name, const std::string& unit,
                   const FatigueTally& tally);
// The damage rows of one effect, a row per detail category.
void writeDamage(std::ostream& out, const std::string& name, const FatigueTally& tally);

}  // namespace fatigue_rows
