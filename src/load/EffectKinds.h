// The catalogue of the built-in kinds of load effect: for each form of definition
// ("moment:L", "moment:L:a", "shear:L", "hogging:L") its prefix, its lengths, the quantity
// it is (a moment or a force, hence kN·m or kN), its description in words and the
// influence line it makes. A new kind is one row here. The influence lines of one's own
// ("il:FILE") are read by the load options.
#pragma once

#include <string>
#include <vector>

#include "load/ContinuousBeam.h"
#include "load/InfluenceLine.h"

namespace effect_kinds {

enum class Quantity { moment, force };

struct EffectForm {
  const char* prefix;  // "moment"
  // The numbers after the prefix, in m: the span, then positions on it (above 0 and below
  // the span).
  std::size_t lengths;
  Quantity quantity;
  // The definition in words, from its parts as given ("moment", "30", ...).
  std::string (*describe)(const std::vector<std::string>& parts);
  // The line of the lengths, read and checked; lengths as many as the form's.
  InfluenceLine (*line)(const std::vector<double>& lengths);
  // Every length that makes the effect what it is, from the lengths given: the moment at
  // mid-span of moment:L is also moment:L:L/2.
  std::vector<double> (*whole)(const std::vector<double>& lengths);
};

// The form of prefix with `lengths` numbers after it, or null when there is none.
const EffectForm* formOf(const std::string& prefix, std::size_t lengths);

// A continuous beam's effect, "beam:L1,L2,...:QUANTITY@X": spans in m, the quantity
// (moment, shear or reaction) at X m from the left end, and with a leading minus
// ("-moment@35") its most negative value, reported as a positive number.
struct BeamEffect {
  std::vector<double> spans;
  continuous_beam::Quantity quantity = continuous_beam::Quantity::moment;
  double x = 0.0;
  bool negative = false;
};

constexpr std::size_t maxBeamSpans = 100;

// Reads a beam definition ("beam:35,35:-moment@35") into *beam. False, with *why one phrase
// saying what is wrong and what is accepted, for spans that are no lengths above 0 (at
// most maxBeamSpans, together at most maxLength m), another quantity, or an X the quantity
// does not take: a moment 0 < X < the length, a shear 0 <= X < the length, a reaction X
// at a support.
bool readBeam(const std::string& definition, double maxLength, BeamEffect* beam, std::string* why);
// The beam's line, negated for a most negative value.
InfluenceLine beamLine(const BeamEffect& beam);
// What makes the beam's effect what it is: its numbers in their shortest form.
std::string beamIdentity(const BeamEffect& beam);
// "beam:L1,L2,...:QUANTITY@X": the syntax, for messages.
constexpr const char* beamSyntax = "beam:L1,L2,...:QUANTITY@X";

// "moment:L, moment:L:a, shear:L, hogging:L": every form's syntax but the beam's, for
// messages.
std::string syntaxList();

// An effect's definition in words, for titles: "bending moment at mid-span, simple span of
// 30 m", "the influence line of deck.csv". A definition that is none of the known forms
// is returned as it is.
std::string describe(const std::string& definition);

}  // namespace effect_kinds
