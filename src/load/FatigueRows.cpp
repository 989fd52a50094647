#include "load/FatigueRows.h"

#include <cstdio>

namespace fatigue_rows {
namespace {

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

const char* spectrumHeader() {
  return "effect,range_from,range_to,cycles,unit";
}

const char* damageHeader() {
  return "effect,detail_category,cycles,damage,equivalent_range_mpa";
}

std::string rangeText(double value) {
  return formatted("%.10g", value);
}

std::string cyclesText(double cycles) {
  return formatted("%.1f", cycles);
}

std::string damageText(double damage) {
  return formatted("%.10g", damage);
}

std::string mpaText(double mpa) {
  return formatted("%.3f", mpa);
}

void writeSpectrum(std::ostream& out, const std::string& name, const std::string& unit,
                   const FatigueTally& tally) {
  double width = tally.fatigueSettings().binWidth;
  for (const auto& [bin, cycles] : tally.spectrum()) {
    out << name << ',' << rangeText(static_cast<double>(bin) * width) << ','
        << rangeText(static_cast<double>(bin + 1) * width) << ',' << cyclesText(cycles) << ','
        << unit << '\n';
  }
}

void writeDamage(std::ostream& out, const std::string& name, const FatigueTally& tally) {
  const FatigueOfEffect& settings = tally.fatigueSettings();
  for (std::size_t i = 0; i < settings.curves.size(); ++i) {
    const SnCurve& curve = settings.curves[i];
    double damage = tally.damage()[i];
    out << name << ',' << rangeText(curve.category) << ',' << cyclesText(tally.damagingCycles()[i])
        << ',' << damageText(damage) << ','
        << mpaText(curve.equivalentRange(damage, settings.gammaFf)) << '\n';
  }
}

}  // namespace fatigue_rows
