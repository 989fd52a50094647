"""Velmora from Python: synthetic traffic streams as pandas DataFrames, load effects on any
influence line, characteristic values and fatigue, computed in process by the same C++ core
as the velmora programs, with the same numbers for the same seed.

Units: weights in the unit of the site files (100 kg for the bundled sample), speeds in
dm/s, lengths and axle spacings in dm, positions along a bridge in m. Load effects are in
the site weight unit times m for moments (kN·m with ``kn_per_unit``), and in the ordinate's
unit times the load for an influence line of one's own.

Bad input raises ValueError with the message the programs print after "error: ".
"""

import io
import operator
import os
import sys
import warnings

import numpy as np
import pandas as pd

from . import _core

__version__ = _core.__version__

__all__ = [
    "FitWarning",
    "InfluenceLine",
    "beam",
    "daily_maxima",
    "extremes",
    "fatigue",
    "generate",
    "influence_line",
    "load_effects",
]

# The columns of `velmora --format csv`, the stamp in seconds first.
RECORD_COLUMNS = tuple(_core.record_columns().split(","))
_FIELD_COLUMNS = list(RECORD_COLUMNS[1:])

InfluenceLine = _core.InfluenceLine


class FitWarning(UserWarning):
    """A doubtful extreme-value fit, as velmora-extremes warns of it."""


def influence_line(x, ordinates, name=None):
    """An influence line from arrays: the effect of a unit load at each x (m).

    x rises from 0 to the bridge's length; a repeated x is a jump (the ordinate just before
    it, then just after). Between points the line is straight; off the bridge it is 0. This
    is the (x, eta) form of pycba's influence lines. ``name`` names the effect in the
    results; an unnamed line is "line<k>", k its place among the effects asked for.

    Anywhere an effect is asked for, texts work too: "moment:30" (mid-span of a simple span
    of 30 m), "moment:30:12", "shear:30", "hogging:30", "beam:35,35:moment@14" (see beam())
    and "il:FILE".
    """
    return _core.InfluenceLine(np.asarray(x, dtype=float), np.asarray(ordinates, dtype=float), name)


def beam(spans, quantity, x):
    """A continuous beam's effect, as --effect takes it: spans in m, ``quantity`` "moment"
    (at the section x m from the left end), "shear" (just right of x) or "reaction" (of the
    support at x), with a leading "-" for its most negative value, reported as a positive
    number. beam([35, 35], "-moment", 35) is "beam:35,35:-moment@35", the same as
    "hogging:35"."""
    return f"beam:{_joined(spans, ',')}:{quantity}@{_number(x)}"


def generate(folder, seed, days=None, chunk_vehicles=None, jams=None, platoons=None):
    """The vehicles of a run folder's traffic, as ``velmora --seed SEED --format csv`` writes
    them there, as a DataFrame of the CSV columns (time_s, day, ..., axle9_weight).

    ``folder`` holds VLMin.txt and Traffic/; ``days`` replaces the parameter file's days.
    Like velmora's stream, the frame ends with the first vehicle past the last day. With
    ``chunk_vehicles``, an iterator of DataFrames of at most that many vehicles each, so that
    long runs stream in bounded memory. ``jams`` (PER_DAY, MEAN_MINUTES) and ``platoons``
    (SHARE, SIZE, GAP_M) are velmora's --jams and --platoons. Nothing is written to disk.
    """
    if chunk_vehicles is not None:
        chunk_vehicles = _whole(chunk_vehicles, "chunk_vehicles")
        if chunk_vehicles < 1:
            raise ValueError(f"chunk_vehicles is {chunk_vehicles}; accepted: a whole number from 1")
    options = _run_options(seed, jams=jams, platoons=platoons)
    session = _core.Generation(_folder(folder), _days(days), options)
    if chunk_vehicles is None:
        return _record_frame(*session.next_chunk(sys.maxsize))
    return _chunks(session, chunk_vehicles)


def daily_maxima(folder, seed, effects, days=None, lane_factors=None, kn_per_unit=None,
                 event_maxima=False, event_classes=None, jams=None, platoons=None):
    """The daily maxima of load effects over a run folder's traffic, computed in process: the
    numbers of ``velmora --seed SEED --effect ... --maxima FILE`` for the same settings.

    Returns a DataFrame in the maxima file's columns (effect, day, max, time_s,
    vehicles_on_bridge, trucks_on_bridge, unit); with ``event_maxima``, a pair of it and the
    event maxima (effect, day, trucks, max, time_s, unit) in ``event_classes`` classes.
    ``lane_factors`` is a factor for each lane; ``kn_per_unit`` the kN of one site weight
    unit (without it the effects are in the site weight unit).
    """
    options = _run_options(seed, lane_factors, kn_per_unit, event_classes, jams, platoons)
    tables = _core.run_load_effects(_folder(folder), _days(days), options, _effect_list(effects),
                                    bool(event_maxima), False, False)
    return _maxima_result(tables, event_maxima)


def load_effects(records, effects, lane_factors=None, kn_per_unit=None, days=None,
                 event_maxima=False, event_classes=None):
    """The daily maxima of load effects from a DataFrame of vehicle records in the columns
    of ``velmora --format csv`` (a station's records, or generate()'s): the numbers of
    ``velmora-load`` on the same records. time_s is not read: the calendar columns are.

    ``days`` is the days to report (default: every day before the last record's day, the
    days of the run that made the records). Returns what daily_maxima() returns.
    """
    fields = _record_fields(records)
    options = _load_options(lane_factors, kn_per_unit, event_classes)
    tables = _core.record_load_effects(fields, "records", _days(days), options,
                                       _effect_list(effects), bool(event_maxima), False, False)
    return _maxima_result(tables, event_maxima)


def fatigue(source, effects, seed=None, days=None, lane_factors=None, kn_per_unit=None,
            detail_categories=(), stress_per_unit=None, gate=None, range_bin=None,
            gamma_mf=None, gamma_ff=None, jams=None, platoons=None):
    """Rainflow range spectra and Miner damage of load effects, as velmora's and
    velmora-load's --fatigue and --damage write them.

    ``source`` is a run folder (then ``seed`` is needed, and ``jams`` and ``platoons``
    apply) or a DataFrame of records. ``detail_categories`` are EN 1993-1-9 categories,
    delta_c in MPa; ``stress_per_unit`` maps each effect's name to its stress in MPa per
    unit of effect (needed with categories); ``gate`` drops smaller reversals and
    ``range_bin`` is the spectra's bin width, both in the effect's unit; ``gamma_mf`` and
    ``gamma_ff`` are the partial factors. Returns a dict of DataFrames: "spectra" (effect,
    range_from, range_to, cycles, unit) and, with categories, "damage" (effect,
    detail_category, cycles, damage, equivalent_range_mpa).
    """
    if np.isscalar(detail_categories):
        detail_categories = [detail_categories]
    detail_categories = list(detail_categories)
    extra = []
    for category in detail_categories:
        extra.append(("--detail-category", _number(category)))
    for effect, stress in (stress_per_unit or {}).items():
        extra.append(("--stress-per-unit", f"{effect}={_number(stress)}"))
    for option, value in (("--fatigue-gate", gate), ("--range-bin", range_bin),
                          ("--gamma-mf", gamma_mf), ("--gamma-ff", gamma_ff)):
        if value is not None:
            extra.append((option, _number(value)))
    damage = len(detail_categories) > 0
    if isinstance(source, pd.DataFrame):
        options = _load_options(lane_factors, kn_per_unit, None) + extra
        tables = _core.record_load_effects(_record_fields(source), "records", _days(days), options,
                                           _effect_list(effects), False, True, damage)
    else:
        if seed is None:
            raise ValueError("fatigue of a run folder needs a seed; accepted: "
                             + _core.seed_range)
        options = _run_options(seed, lane_factors, kn_per_unit, None, jams, platoons) + extra
        tables = _core.run_load_effects(_folder(source), _days(days), options,
                                        _effect_list(effects), False, True, damage)
    result = {"spectra": _table(tables["spectra"])}
    if damage:
        result["damage"] = _table(tables["damage"])
    return result


def extremes(maxima, return_periods=None, days_per_year=None, block_days=None,
             threshold=None, threshold_quantile=None, resamples=None, seed=None, composite=None):
    """The extreme-value fits and return levels of daily maxima, as ``velmora-extremes --csv``
    writes them: a DataFrame in that table's layout (a row for each effect, model and value
    asked for), fitted with the same code and the same defaults.

    ``maxima`` is a DataFrame in the maxima file's columns, from daily_maxima(),
    load_effects() or read from a maxima file, or a list of them, one for each run; event
    maxima frames (with their trucks column) are told by their columns, as the program tells
    them by their header, and give the composite model. ``composite`` adds event maxima
    frames for the composite model. ``threshold`` is a number or a dict {effect: threshold};
    the other arguments are velmora-extremes' options of the same names, None leaving an
    option at the program's default. Doubtful fits are warned of with FitWarning.
    """
    frames = [maxima] if isinstance(maxima, pd.DataFrame) else list(maxima)
    events = [composite] if isinstance(composite, pd.DataFrame) else list(composite or [])
    inputs = _core.MaximaTexts()
    maxima_texts, event_texts = [], []
    for frame in frames:
        (event_texts if "trucks" in frame.columns else maxima_texts).append(frame)
    event_texts.extend(events)
    inputs.maxima = [_csv_text(frame) for frame in maxima_texts]
    inputs.maxima_names = [f"maxima {i + 1}" for i in range(len(maxima_texts))]
    inputs.events = [_csv_text(frame) for frame in event_texts]
    inputs.event_names = [f"event maxima {i + 1}" for i in range(len(event_texts))]
    csv, warned = _core.analyse_maxima(inputs, _analysis_options(
        return_periods, days_per_year, block_days, threshold, threshold_quantile, resamples, seed))
    for warning in warned:
        warnings.warn(warning, FitWarning, stacklevel=2)
    return _table(csv)


# --- the programs' options made of the keywords ---------------------------------------------

def _number(value):
    """A number as text that reads back as the same double: Python's shortest form."""
    if isinstance(value, (bool, np.bool_)):
        return str(value)
    if isinstance(value, (int, np.integer)):
        return str(int(value))
    try:
        return repr(float(value))
    except (TypeError, ValueError):
        return str(value)


def _whole(value, name):
    try:
        return operator.index(value)
    except TypeError:
        raise ValueError(f"{name} is {value!r}; accepted: a whole number") from None


def _days(days):
    return None if days is None else _whole(days, "days")


def _folder(folder):
    """The run folder's path; velmora's notice, as a warning, when it takes the defaults."""
    path = os.fspath(folder)
    if not os.path.isdir(path):
        raise ValueError(f'the run folder "{path}" is not a folder; accepted: a folder that holds '
                         f'{_core.parameter_file} (or takes the defaults) and Traffic/')
    if not os.path.exists(os.path.join(path, _core.parameter_file)):
        warnings.warn(f'{path} holds no {_core.parameter_file}: using the default values',
                      stacklevel=3)
    return path


def _joined(value, separator):
    """A tuple of numbers as one option value ("1:60"); a text as it is."""
    if isinstance(value, str):
        return value
    return separator.join(_number(part) for part in value)


def _load_options(lane_factors, kn_per_unit, event_classes):
    options = []
    if lane_factors is not None:
        options.append(("--lane-factors", _joined(lane_factors, ",")))
    if kn_per_unit is not None:
        options.append(("--kn-per-unit", _number(kn_per_unit)))
    if event_classes is not None:
        options.append(("--event-classes", _number(event_classes)))
    return options


def _run_options(seed, lane_factors=None, kn_per_unit=None, event_classes=None, jams=None,
                 platoons=None):
    options = [("--seed", _number(seed))]
    if jams is not None:
        options.append(("--jams", _joined(jams, ":")))
    if platoons is not None:
        options.append(("--platoons", _joined(platoons, ":")))
    return options + _load_options(lane_factors, kn_per_unit, event_classes)


def _analysis_options(return_periods, days_per_year, block_days, threshold, threshold_quantile,
                      resamples, seed):
    options = []
    if return_periods is not None:
        periods = [return_periods] if np.isscalar(return_periods) else list(return_periods)
        if not periods:
            raise ValueError("return_periods is empty; accepted: at least one number of years "
                             "above 1")
        options = [("--return-period", _number(years)) for years in periods]
    if isinstance(threshold, dict):
        options += [("--threshold", f"{effect}={_number(value)}") for effect, value in threshold.items()]
    elif threshold is not None:
        options.append(("--threshold", _number(threshold)))
    for option, value in (("--days-per-year", days_per_year), ("--block-days", block_days),
                          ("--threshold-quantile", threshold_quantile),
                          ("--resamples", resamples), ("--seed", seed)):
        if value is not None:
            options.append((option, _number(value)))
    return options


def _effect_list(effects):
    if isinstance(effects, (str, _core.InfluenceLine)):
        return [effects]
    return list(effects)


# --- tables in and out ----------------------------------------------------------------------

def _record_frame(times, fields):
    frame = pd.DataFrame(fields, columns=_FIELD_COLUMNS, copy=False)
    frame.insert(0, RECORD_COLUMNS[0], times)
    return frame


def _chunks(session, chunk_vehicles):
    while not session.finished:
        times, fields = session.next_chunk(chunk_vehicles)
        if len(times) > 0:
            yield _record_frame(times, fields)


def _record_fields(records):
    """The records' fields from the day to the last axle's weight as one array of whole
    numbers, a row for each record."""
    if not isinstance(records, pd.DataFrame):
        raise ValueError(f"records is a {type(records).__name__}; accepted: a pandas DataFrame "
                         "in the columns of velmora --format csv")
    missing = [column for column in _FIELD_COLUMNS if column not in records.columns]
    if missing:
        raise ValueError(f"records lack the column {missing[0]}; accepted: the columns of "
                         "velmora --format csv")
    values = records[_FIELD_COLUMNS].to_numpy()
    if not np.issubdtype(values.dtype, np.integer):
        values = values.astype(float)
        whole = np.isfinite(values) & (values == np.round(values)) & (np.abs(values) < 2.0**62)
        if not whole.all():
            row, column = np.argwhere(~whole)[0]
            raise ValueError(f"records row {row + 1} column {_FIELD_COLUMNS[column]} is "
                             f"{values[row, column]!r}; accepted: whole numbers")
    return np.ascontiguousarray(values, dtype=np.int64)


def _table(text):
    return pd.read_csv(io.StringIO(text))


def _maxima_result(tables, event_maxima):
    maxima = _table(tables["maxima"])
    if event_maxima:
        return maxima, _table(tables["events"])
    return maxima


def _csv_text(frame):
    """A maxima frame as its file's text; floats in Python's shortest form, which reads back
    as the same doubles."""
    return frame.to_csv(index=False, lineterminator="\n")
