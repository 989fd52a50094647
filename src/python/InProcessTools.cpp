#include "python/InProcessTools.h"

#include <sstream>

#include "extremes/MaximaAnalysis.h"
#include "load/StreamLoading.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"
#include "random/RandomGenerator.h"
#include "record/RecordReader.h"
#include "run/Run.h"

namespace {

// The rows of a table of record fields as a source of records.
class FieldRows : public RecordSource {
 public:
  FieldRows(const std::int64_t* fields, std::size_t rows) : fields(fields), rows(rows) {}
  RecordStream::Outcome next(RecordValues* record, std::string* why) override {
    if (row == rows) {
      return RecordStream::Outcome::end;
    }
    const std::int64_t* values = fields + row * record_fields::count;
    ++row;
    return readRecordFields(values, record, why) ? RecordStream::Outcome::record
                                                 : RecordStream::Outcome::notRecord;
  }
  std::string place() const override { return "row " + std::to_string(row); }
  long long number() const override { return static_cast<long long>(row); }
  std::string formName() const override { return "vehicle"; }

 private:
  const std::int64_t* fields;
  std::size_t rows;
  std::size_t row = 0;  // rows read
};

// The tables asked for need what velmora's files need.
bool tablesAgree(const LoadSettings& settings, const LoadTables& tables, std::string* error) {
  if (settings.effects.empty()) {
    *error = "no effect is given; accepted: at least one, such as \"moment:30\"";
    return false;
  }
  return load_options::eventOptionsAgree(settings, tables.events, "--event-maxima", error) &&
         fatigue_options::optionsAgree(settings, tables.spectra, tables.damage, "--fatigue",
                                       "--damage", error);
}

// The streams of the tables asked for, to hand to an engine.
struct TableStreams {
  std::ostringstream maxima;
  std::ostringstream events;
  std::ostringstream spectra;
  std::ostringstream damage;

  std::ostream* eventsFor(const LoadTables& tables) { return tables.events ? &events : nullptr; }
  FatigueStreams fatigueFor(const LoadTables& tables) {
    return {tables.spectra ? &spectra : nullptr, tables.damage ? &damage : nullptr};
  }
  void moveInto(LoadEffectTexts* texts) {
    texts->maxima = maxima.str();
    texts->events = events.str();
    texts->spectra = spectra.str();
    texts->damage = damage.str();
  }
};

ToolOutcome refuse(const std::string& message, std::string* error) {
  *error = message;
  return ToolOutcome::refused;
}

}  // namespace

ToolOutcome runLoadEffects(std::uint32_t seed, const RunOptions& options, const LoadTables& tables,
                           LoadEffectTexts* texts, std::string* error) {
  if (!tablesAgree(options.load, tables, error)) {
    return ToolOutcome::refused;
  }
  RandomGenerator::seedWithWord(seed);
  RandomGenerator::clearNormalCache();
  RunConfig config;
  LaneSet lanes;
  if (!setUpRun(config, options, lanes, error)) {
    return ToolOutcome::refused;
  }
  if (!lanes.drawFailure().empty()) {
    *error = lanes.drawFailure();
    return ToolOutcome::failed;
  }
  TableStreams streams;
  RunSinks sinks;
  sinks.maxima = &streams.maxima;
  sinks.events = streams.eventsFor(tables);
  sinks.fatigue = streams.fatigueFor(tables);
  if (!generateInto(config, options, lanes.laneList(), sinks, error)) {
    return ToolOutcome::failed;
  }
  streams.moveInto(texts);
  return ToolOutcome::done;
}

ToolOutcome recordLoadEffects(const std::int64_t* fields, std::size_t rows, const std::string& name,
                              int days, const LoadSettings& settings, const LoadTables& tables,
                              StopRequest stop, LoadEffectTexts* texts, std::string* error) {
  if (!tablesAgree(settings, tables, error)) {
    return ToolOutcome::refused;
  }
  TableStreams streams;
  LoadEffectEngine engine(settings, streams.maxima, streams.eventsFor(tables),
                          streams.fatigueFor(tables));
  FieldRows source(fields, rows);
  StreamReading reading;
  reading.stop = std::move(stop);
  if (!loadRecords(source, name, days, engine, &reading, error) ||
      !laneFactorsFitRecords(settings, reading, name, error)) {
    return ToolOutcome::refused;
  }
  streams.moveInto(texts);
  return ToolOutcome::done;
}

ToolOutcome analyseMaxima(const MaximaTexts& inputs, const AnalysisSettings& settings,
                          std::string* csv, std::vector<std::string>* warnings,
                          std::string* error) {
  if (inputs.maxima.empty() && inputs.events.empty()) {
    return refuse("velmora-extremes needs at least one maxima file", error);
  }
  std::vector<std::istringstream> texts;
  texts.reserve(inputs.maxima.size() + inputs.events.size());
  std::vector<NamedStream> maxima;
  std::vector<NamedStream> events;
  for (std::size_t i = 0; i < inputs.maxima.size(); ++i) {
    texts.emplace_back(inputs.maxima[i]);
    maxima.push_back({inputs.maximaNames[i], &texts.back()});
  }
  for (std::size_t i = 0; i < inputs.events.size(); ++i) {
    texts.emplace_back(inputs.events[i]);
    events.push_back({inputs.eventNames[i], &texts.back()});
  }
  std::vector<EffectMaxima> effects;
  std::vector<EffectEvents> effectEvents;
  std::vector<EffectAnalysis> analyses;
  if (!readEventMaximaStreams(events, &effectEvents, error) ||
      !readMaximaStreams(maxima, &effects, error) ||
      !joinEventMaxima(!maxima.empty(), &effects, effectEvents, error) ||
      !analyseEffects(effects, effectEvents, settings, &analyses, error)) {
    return ToolOutcome::refused;
  }
  std::ostringstream table;
  writeCsvTable(table, analyses);
  *csv = table.str();
  for (const EffectAnalysis& analysis : analyses) {
    for (const std::string& warning : warningsOf(analysis)) {
      warnings->push_back(warning);
    }
  }
  return ToolOutcome::done;
}
