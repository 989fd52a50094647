// The command-line options that ask for load effects, shared by velmora, velmora-load, the
// campaign and Python, each written once in the table of LoadOptions.cpp:
// "--effect EFFECT" (repeatable), "--lane-factors f1,f2,...", "--kn-per-unit F" and
// "--event-classes K" (the classes of the event maxima, which the program's own option asks
// for).
//   moment:L     bending moment at mid-span of a simple span of L m
//   moment:L:a   bending moment at a m from the left support of a simple span of L m
//   shear:L      shear at the left support (the left reaction) of a simple span of L m
//   hogging:L    moment over the central support of two continuous spans of L m each
//   beam:L1,L2,...:QUANTITY@X  a moment, shear or reaction at X m on continuous spans
//   il:FILE      the influence line of FILE: lines "x_m,ordinate", x rising from 0 to the
//                bridge's length, a repeated x a jump
#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "load/LoadEffectEngine.h"

namespace load_options {

constexpr double maxSpan = 10000.0;  // m
constexpr double maxFactor = 1e6;    // for lane factors and --kn-per-unit
constexpr std::size_t maxInfluencePoints = 100000;
constexpr int maxEventClasses = 20;  // --event-classes

// Reads one effect's definition into *effect, named by the text itself: a form of the
// catalogue of effect kinds (load/EffectKinds.h), or il:FILE. False, with *error one
// line naming the definition, what is wrong and what is accepted.
bool parseEffect(const std::string& definition, LoadEffect* effect, std::string* error);

// Makes *line from points, x in m rising from 0 to the bridge's length, a repeated x a jump.
// False, with *error one line starting with `what`, for more than maxInfluencePoints
// points, points that are no such line, or a line longer than maxSpan.
bool lineFromPoints(const std::string& what, const std::vector<InfluencePoint>& points,
                    InfluenceLine* line, std::string* error);

// Adds effect to the settings' effects. False, with *error one line, when an effect of its
// name is there already (its maxima would be twice in one file).
bool addEffect(LoadEffect effect, LoadSettings* settings, std::string* error);

// The load options, for a program's option parser.
std::vector<KnownOption> knownOptions();
// True when name is one of the load options.
bool isLoadOption(const std::string& name);
// Reads the value of the load option `name` into *settings. False, with *error one
// line, for a bad value or an effect given twice (its maxima would be twice in
// one file).
bool takeOption(const std::string& name, const std::string& value, LoadSettings* settings,
                std::string* error);
// Event maxima need an effect, and --event-classes needs the event-maxima file, given by
// fileOption. False, with *error one line, when they do not.
bool eventOptionsAgree(const LoadSettings& settings, bool eventFile, const std::string& fileOption,
                       std::string* error);
// The influence-line files that the effects read: inputs that no output may replace.
std::vector<std::string> influenceFiles(const LoadSettings& settings);

// The options' lines for a usage text.
std::string usageLines();

}  // namespace load_options
