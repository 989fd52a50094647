// The run parameters. The program's run uses the one global instance, built with the
// defaults before main and filled at most once from "VLMin.txt" during set-up, read-only
// afterwards; tools and tests use instances of their own.
#pragma once

#include <string>

#include "base/Calendar.h"
#include "base/text/CsvReader.h"
#include "data/TrafficModel.h"
#include "traffic/TrafficParameters.h"

class RunConfig {
 public:
  RunConfig();
  RunConfig(const RunConfig&) = delete;
  RunConfig& operator=(const RunConfig&) = delete;
  virtual ~RunConfig() = default;

  // Reads the 13 value lines of fileName ("//" lines are comments). False, with nothing
  // changed and *error empty, when the file does not exist. False, with *error set to one
  // line, when it exists but cannot be read, or a number's line holds no number
  // (or an integer beyond 32 bits): the parameters are then not to be used.
  bool readFile(const std::string& fileName, std::string* error);
  // Puts every parameter to its default and recomputes the derived values.
  void setDefaults();
  // totalLanes and meanGapTime from the other members.
  void computeDerived();
  // True when a run can use every parameter; else false, with *error one line starting
  // that names the first one that it cannot, the value found and what is
  // accepted.
  bool isUsable(std::string* error) const;
  // True when the congested model's speed, gap and its variation (value lines 9 to 11) can
  // serve the jams of a free-flowing run; else false, with *error as isUsable gives it.
  bool suitsJams(std::string* error) const;
  TrafficModel model() const { return TrafficModel(trafficModel); }
  // What the lane and vehicle generators take from the parameters.
  TrafficParameters trafficParameters() const;

  static constexpr int maxDays = calendar::maxRunDays;
  static constexpr double defaultCatchUpLength = 50.0;  // m
  // Far beyond any road; every lane holds a copy of the site tables, so this also bounds
  // the memory a run can ask for.
  static constexpr int maxLanes = 100;

  static constexpr double kmhToMetresPerSecond = 0.2777777777777778;  // nearest to 1/3.6
  // Bounds that keep every run physically sensible and its numbers within what a stream
  // can hold.
  static constexpr double maxDistance = 10000.0;  // m: catch-up length, congested gap
  static constexpr double maxGapCv = 10.0;

  int lanesDir1;         // lanes in direction 1
  int lanesDir2;         // lanes in direction 2
  int totalLanes;        // derived: lanesDir1 + lanesDir2
  double catchUpLength;  // m, used by the minimum headway when the follower is faster
  int days;              // simulated days; the run ends at days * 86400 s
  int flowSite;          // site code of "FlowR.csv" and "NHM.csv"
  int vehicleSite;       // site code of the vehicle tables
  std::string outputFile;
  int bufferSize;      // vehicles held by the writer before a flush
  int trafficModel;    // 0: table headways; 5: congested, constant speed; else free flow
  double carFraction;  // fraction of cars among all vehicles
  double gapDistance;  // m, mean gap of the congested model
  double speed;        // m/s (km/h in the file)
  double meanGapTime;  // s, derived: gapDistance / speed
  double gapCv;        // coefficient of variation of the congested gap time

 private:
  // The first parameter that no run can use, as isUsable's message; empty when none.
  std::string findProblem() const;
  // The first of the congested model's parameters that a run cannot use, when `congested`
  // traffic uses them (`when` says when that is); empty when none.
  std::string congestedProblem(bool congested, const std::string& when) const;
  void readParameters();
  std::string nextValueLine();
  // The number on the next value line, which is value line `valueLine` (from 1).
  double nextReal(int valueLine);
  int nextInteger(int valueLine);
  void noteUnreadable(int valueLine, const std::string& text, const char* accepted);

  CsvReader reader;
  std::string commentMarker;
  std::string readError;  // the first value line that holds no usable number
};

extern RunConfig runConfig;
