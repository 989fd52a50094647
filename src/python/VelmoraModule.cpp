// velmora._core: the C++ side of the Python module. Arguments arrive as the programs' own
// options, (name, value) pairs that the velmora package makes of its keywords, and are read
// by the programs' own readers, so a bad one is refused with the programs' message (as
// ValueError). The work runs with the interpreter's lock released, one call at a time.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text/NumberText.h"
#include "data/RunFolderFiles.h"
#include "extremes/ExtremesOptions.h"
#include "options/LoadOptions.h"
#include "python/GenerationSession.h"
#include "python/InProcessTools.h"
#include "record/Vehicle.h"
#include "run/CommandLine.h"
#include "run/RunConfig.h"

namespace py = pybind11;

namespace {

using OptionList = std::vector<std::pair<std::string, std::string>>;

// The generator draws from one process-wide stream and reuses its vehicles' storage: one
// thread at a time may run it, whichever Python thread calls.
std::mutex generatorUse;

// Runs work with the interpreter's lock released and the generator to itself.
template <typename Work>
auto withGenerator(Work work) {
  py::gil_scoped_release released;
  std::lock_guard<std::mutex> alone(generatorUse);
  return work();
}

// A stop request that comes due when Python has a signal to handle (Ctrl-C in a notebook):
// its handler runs, and the exception it raises waits for the call's return.
StopRequest interruptible() {
  return StopRequest([] {
    py::gil_scoped_acquire held;
    return PyErr_CheckSignals() != 0;
  });
}

// Raises what a call that did not end as done left: the exception of a signal's handler
// when one is pending, else the tool's message.
[[noreturn]] void raise(ToolOutcome outcome, const std::string& error) {
  if (PyErr_Occurred() != nullptr) {
    throw py::error_already_set();
  }
  if (outcome == ToolOutcome::failed) {
    throw std::runtime_error(error);
  }
  throw py::value_error(error);
}

void refuseUnless(bool taken, const std::string& error) {
  if (!taken) {
    throw py::value_error(error);
  }
}

// An influence line given as arrays, named or to be named by its place among the effects.
struct ArrayLine {
  LoadEffect effect;
  bool named = false;
};

ArrayLine makeArrayLine(py::array_t<double, py::array::c_style | py::array::forcecast> x,
                        py::array_t<double, py::array::c_style | py::array::forcecast> ordinates,
                        std::optional<std::string> name) {
  refuseUnless(x.ndim() == 1 && ordinates.ndim() == 1 && x.size() == ordinates.size(),
               "influence_line: x has " + std::to_string(x.size()) + " values and ordinates " +
                   std::to_string(ordinates.size()) +
                   "; accepted: two one-dimensional arrays of equal length");
  refuseUnless(!name || !name->empty(),
               "influence_line: the name is empty; accepted: a name "
               "such as \"support moment\", or none");
  std::vector<InfluencePoint> points(static_cast<std::size_t>(x.size()));
  for (std::size_t i = 0; i < points.size(); ++i) {
    points[i] = {x.at(static_cast<py::ssize_t>(i)), ordinates.at(static_cast<py::ssize_t>(i))};
  }
  ArrayLine line;
  std::string error;
  refuseUnless(load_options::lineFromPoints("influence_line", points, &line.effect.line, &error),
               error);
  line.effect.ownLine = true;
  line.effect.name = name.value_or("");
  line.named = name.has_value();
  return line;
}

// The effects, texts such as "moment:30" and array lines, in order into *settings; an
// unnamed array line is "line<k>", k its place from 1.
void addEffects(const py::list& effects, LoadSettings* settings) {
  std::string error;
  for (std::size_t i = 0; i < effects.size(); ++i) {
    py::handle item = effects[i];
    LoadEffect effect;
    if (py::isinstance<py::str>(item)) {
      refuseUnless(load_options::parseEffect(item.cast<std::string>(), &effect, &error), error);
    } else if (py::isinstance<ArrayLine>(item)) {
      const ArrayLine& line = item.cast<const ArrayLine&>();
      effect = line.effect;
      if (!line.named) {
        effect.name = "line" + std::to_string(i + 1);
      }
    } else {
      throw py::value_error("effects holds " + py::repr(item).cast<std::string>() +
                            "; accepted: texts such as \"moment:30\" and velmora.influence_line");
    }
    refuseUnless(load_options::addEffect(std::move(effect), settings, &error), error);
  }
}

// The run's options: the program's own, a run folder, days, nothing written or printed.
CommandLine runCommandLine(const std::string& folder, std::optional<long long> days,
                           const OptionList& options, const py::list& effects) {
  CommandLine line;
  std::string error;
  addEffects(effects, &line.options.load);
  for (const auto& [name, value] : options) {
    refuseUnless(takeCommandLineOption({name, value}, &line, &error), error);
  }
  refuseUnless(!days || (*days >= 1 && *days <= RunConfig::maxDays),
               "days is " + std::to_string(days.value_or(0)) +
                   "; accepted: a whole number from 1 to " + std::to_string(RunConfig::maxDays));
  line.options.runFolder = folder.empty() ? "." : folder;
  if (days) {
    line.options.days = static_cast<int>(*days);
  }
  line.options.writeRecords = false;
  line.options.console = false;
  return line;
}

py::dict dictOf(const LoadEffectTexts& texts) {
  py::dict tables;
  tables["maxima"] = texts.maxima;
  tables["events"] = texts.events;
  tables["spectra"] = texts.spectra;
  tables["damage"] = texts.damage;
  return tables;
}

// A vector handed to numpy without a copy, in the given shape.
template <typename T>
py::array_t<T> arrayOf(std::vector<T>&& values, std::vector<py::ssize_t> shape) {
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule release(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(shape, owned->data(), release);
}

// A generation session that is set up and dropped with the generator to itself.
class Generation {
 public:
  Generation(const std::string& folder, std::optional<long long> days, const OptionList& options) {
    CommandLine line = runCommandLine(folder, days, options, py::list());
    std::string error;
    session = std::make_unique<GenerationSession>();
    bool opened = withGenerator([&] { return session->open(line.seed, line.options, &error); });
    refuseUnless(opened, error);
  }
  Generation(const Generation&) = delete;
  Generation& operator=(const Generation&) = delete;
  // Drops the session with the generator to itself. While another thread holds the
  // generator, waits without Python's lock, which that thread asks for now and then.
  ~Generation() {
    std::unique_lock<std::mutex> alone(generatorUse, std::try_to_lock);
    if (alone.owns_lock()) {
      session.reset();
      return;
    }
    py::gil_scoped_release released;
    alone.lock();
    session.reset();
    alone.unlock();
  }

  // (times, fields) of up to maxVehicles next vehicles; empty arrays once the run is done.
  py::tuple nextChunk(std::size_t maxVehicles) {
    std::vector<double> times;
    std::vector<std::int64_t> fields;
    std::string error;
    bool drawn = withGenerator(
        [&] { return session->nextChunk(maxVehicles, &times, &fields, interruptible(), &error); });
    if (!drawn) {
      raise(ToolOutcome::failed, error);
    }
    auto rows = static_cast<py::ssize_t>(times.size());
    return py::make_tuple(arrayOf(std::move(times), {rows}),
                          arrayOf(std::move(fields), {rows, record_fields::count}));
  }
  bool finished() const { return session->finished(); }

 private:
  std::unique_ptr<GenerationSession> session;
};

py::dict runLoad(const std::string& folder, std::optional<long long> days,
                 const OptionList& options, const py::list& effects, bool events, bool spectra,
                 bool damage) {
  CommandLine line = runCommandLine(folder, days, options, effects);
  line.options.stop = interruptible();
  LoadEffectTexts texts;
  std::string error;
  LoadTables tables{events, spectra, damage};
  ToolOutcome outcome = withGenerator(
      [&] { return runLoadEffects(line.seed, line.options, tables, &texts, &error); });
  if (outcome != ToolOutcome::done) {
    raise(outcome, error);
  }
  return dictOf(texts);
}

py::dict recordLoad(py::array_t<std::int64_t, py::array::c_style | py::array::forcecast> fields,
                    const std::string& name, std::optional<long long> days,
                    const OptionList& options, const py::list& effects, bool events, bool spectra,
                    bool damage) {
  refuseUnless(fields.ndim() == 2 && fields.shape(1) == record_fields::count,
               "records hold " + std::to_string(fields.ndim() == 2 ? fields.shape(1) : 0) +
                   " fields a row; accepted: " + std::to_string(record_fields::count));
  refuseUnless(!days || (*days >= 1 && *days <= calendar::maxStampDays),
               "days is " + std::to_string(days.value_or(0)) +
                   "; accepted: a whole number from 1 to " +
                   std::to_string(calendar::maxStampDays));
  LoadSettings settings;
  std::string error;
  addEffects(effects, &settings);
  for (const auto& [option, value] : options) {
    refuseUnless(load_options::takeOption(option, value, &settings, &error), error);
  }
  LoadEffectTexts texts;
  LoadTables tables{events, spectra, damage};
  auto rows = static_cast<std::size_t>(fields.shape(0));
  const std::int64_t* data = fields.data();
  ToolOutcome outcome = withGenerator([&] {
    return recordLoadEffects(data, rows, name, static_cast<int>(days.value_or(0)), settings, tables,
                             interruptible(), &texts, &error);
  });
  if (outcome != ToolOutcome::done) {
    raise(outcome, error);
  }
  return dictOf(texts);
}

py::tuple analyseTexts(const MaximaTexts& inputs, const OptionList& options) {
  AnalysisSettings settings;
  std::string error;
  for (const auto& [name, value] : options) {
    refuseUnless(extremes_options::takeAnalysisOption(name, value, &settings, &error), error);
  }
  std::string csv;
  std::vector<std::string> warnings;
  ToolOutcome outcome;
  {
    py::gil_scoped_release released;
    outcome = analyseMaxima(inputs, settings, &csv, &warnings, &error);
  }
  if (outcome != ToolOutcome::done) {
    raise(outcome, error);
  }
  return py::make_tuple(csv, warnings);
}

}  // namespace

PYBIND11_MODULE(_core, module) {
  module.doc() = "The C++ core of velmora; use the functions of the velmora package.";
  module.attr("__version__") = VELMORA_VERSION;
  module.attr("parameter_file") = run_folder_files::parameters;
  module.attr("seed_range") = seedRange();
  module.def(
      "record_columns", [] { return Vehicle::csvHeader(); },
      "The header of velmora's CSV records.");
  py::class_<ArrayLine>(module, "InfluenceLine")
      .def(py::init(&makeArrayLine), py::arg("x"), py::arg("ordinates"),
           py::arg("name") = py::none())
      .def_property_readonly("name",
                             [](const ArrayLine& line) {
                               return line.named ? py::object(py::str(line.effect.name))
                                                 : py::object(py::none());
                             })
      .def_property_readonly("length_m",
                             [](const ArrayLine& line) { return line.effect.line.length(); })
      .def(
          "ordinate_at",
          [](const ArrayLine& line, double x) { return line.effect.line.ordinateAt(x); },
          py::arg("x_m"));
  py::class_<Generation>(module, "Generation")
      .def(py::init<const std::string&, std::optional<long long>, const OptionList&>(),
           py::arg("folder"), py::arg("days"), py::arg("options"))
      .def("next_chunk", &Generation::nextChunk, py::arg("max_vehicles"))
      .def_property_readonly("finished", &Generation::finished);
  module.def("run_load_effects", &runLoad, py::arg("folder"), py::arg("days"), py::arg("options"),
             py::arg("effects"), py::arg("events"), py::arg("spectra"), py::arg("damage"));
  module.def("record_load_effects", &recordLoad, py::arg("fields"), py::arg("name"),
             py::arg("days"), py::arg("options"), py::arg("effects"), py::arg("events"),
             py::arg("spectra"), py::arg("damage"));
  py::class_<MaximaTexts>(module, "MaximaTexts")
      .def(py::init<>())
      .def_readwrite("maxima", &MaximaTexts::maxima)
      .def_readwrite("events", &MaximaTexts::events)
      .def_readwrite("maxima_names", &MaximaTexts::maximaNames)
      .def_readwrite("event_names", &MaximaTexts::eventNames);
  module.def("analyse_maxima", &analyseTexts, py::arg("inputs"), py::arg("options"));
}
