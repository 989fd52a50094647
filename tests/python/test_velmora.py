"""The Python module against the programs: the same seed and settings give the same numbers,
and bad input raises ValueError with the programs' messages. The programs' paths come from
the environment CTest sets (VELMORA_PROGRAM, VELMORA_LOAD_PROGRAM, VELMORA_EXTREMES_PROGRAM)."""

import os
import resource
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import numpy as np
import pandas as pd
import pytest

import velmora

SAMPLE = Path(__file__).resolve().parents[2] / "sample"
VELMORA = os.environ.get("VELMORA_PROGRAM", "velmora")
VELMORA_LOAD = os.environ.get("VELMORA_LOAD_PROGRAM", "velmora-load")
VELMORA_EXTREMES = os.environ.get("VELMORA_EXTREMES_PROGRAM", "velmora-extremes")

MOTORWAY = "TrafOut.txt\n50\n{days}\n1\n1\n2000\n2\n2\n5\n30\n0.05\n6\n0.8\n"


@pytest.fixture
def run_folder(tmp_path):
    """A copy of the bundled sample: two lanes of the Auxerre site for two days."""
    folder = tmp_path / "run"
    shutil.copytree(SAMPLE, folder)
    return folder


@pytest.fixture
def motorway(run_folder):
    """The sample's four-lane motorway for three days."""
    (run_folder / "VLMin.txt").write_text(MOTORWAY.format(days=3))
    return run_folder


def run(program, *arguments, folder, ok=True):
    done = subprocess.run([program, *map(str, arguments)], cwd=folder, capture_output=True,
                          text=True)
    if ok:
        assert done.returncode == 0, done.stderr
    return done


def refusal(program, *arguments, folder):
    """The message of a refused run, without the leading "error: "."""
    done = run(program, *arguments, folder=folder, ok=False)
    assert done.returncode == 2, done.stderr
    errors = [line for line in done.stderr.splitlines() if line.startswith("error: ")]
    assert len(errors) == 1, done.stderr
    return errors[0][len("error: "):]


def maxima_values(frame):
    return frame.drop(columns=["effect"]).reset_index(drop=True)


class TestGenerate:
    def test_frames_equal_the_csv_velmora_writes(self, run_folder):
        run(VELMORA, "--seed", 7, "--format", "csv", folder=run_folder)
        written = pd.read_csv(run_folder / "TrafOut.txt")
        frame = velmora.generate(run_folder, 7)
        pd.testing.assert_frame_equal(frame, written)
        assert list(frame.columns) == list(velmora.RECORD_COLUMNS)
        assert len(frame) > 70000

    def test_a_folder_without_parameters_takes_velmoras_defaults(self, run_folder):
        (run_folder / "VLMin.txt").unlink()
        run(VELMORA, "--seed", 2, "--format", "csv", folder=run_folder)
        with pytest.warns(UserWarning, match="holds no VLMin.txt: using the default values"):
            frame = velmora.generate(run_folder, 2)
        pd.testing.assert_frame_equal(frame, pd.read_csv(run_folder / "TrafOut.txt"))

    def test_chunks_are_the_same_stream_cut_in_pieces(self, run_folder):
        whole = velmora.generate(run_folder, 11, days=1)
        chunks = list(velmora.generate(run_folder, 11, days=1, chunk_vehicles=7001))
        assert all(len(chunk) <= 7001 for chunk in chunks)
        assert [len(chunk) for chunk in chunks[:-1]] == [7001] * (len(chunks) - 1)
        pd.testing.assert_frame_equal(pd.concat(chunks, ignore_index=True), whole)

    def test_jams_and_platoons_equal_velmora_with_the_same_options(self, motorway):
        run(VELMORA, "--seed", 5, "--format", "csv", "--jams", "2:45", "--platoons", "0.3:3:8",
            folder=motorway)
        frame = velmora.generate(motorway, 5, jams=(2, 45), platoons="0.3:3:8")
        pd.testing.assert_frame_equal(frame, pd.read_csv(motorway / "TrafOut.txt"))

    def test_a_stream_depends_on_its_seed_alone(self, run_folder):
        """Interleaved iterators and other draws in between leave each stream as it is."""
        alone = velmora.generate(run_folder, 3, days=1)
        first = velmora.generate(run_folder, 3, days=1, chunk_vehicles=5000)
        second = velmora.generate(run_folder, 3, days=1, chunk_vehicles=3000)
        pieces_first, pieces_second = [], []
        for piece in first:
            pieces_first.append(piece)
            velmora.daily_maxima(run_folder, 99, "moment:20", days=1)
            pieces_second.append(next(second, None))
        pieces_second.extend(second)
        pd.testing.assert_frame_equal(pd.concat(pieces_first, ignore_index=True), alone)
        pd.testing.assert_frame_equal(
            pd.concat([p for p in pieces_second if p is not None], ignore_index=True), alone)

    def test_threads_each_get_their_seeds_stream(self, run_folder):
        expected = {seed: velmora.generate(run_folder, seed, days=1) for seed in (1, 2)}
        results = {}

        def generate(seed):
            results[seed] = velmora.generate(run_folder, seed, days=1)

        threads = [threading.Thread(target=generate, args=(seed,)) for seed in (1, 2, 1, 2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for seed, frame in expected.items():
            pd.testing.assert_frame_equal(results[seed], frame)

    def test_python_runs_on_while_the_core_works(self, run_folder):
        """The core releases Python's lock: this thread wakes and loops while a long call
        runs in another (with the lock held, it could not wake before the call returned)."""
        worker = threading.Thread(
            target=lambda: velmora.daily_maxima(run_folder, 1, "moment:30", days=150))
        worker.start()
        time.sleep(0.3)
        loops, start = 0, time.perf_counter()
        while time.perf_counter() - start < 0.2:
            loops += 1
        assert worker.is_alive() and loops > 1000
        worker.join()

    def test_a_stream_dropped_while_another_thread_runs_does_not_block_it(self, run_folder):
        script = f"""
import gc, threading, time, velmora
folder = {str(run_folder)!r}
worker = threading.Thread(target=lambda: velmora.daily_maxima(folder, 1, "moment:30", days=60))
chunks = velmora.generate(folder, 2, days=1, chunk_vehicles=10)
next(chunks)
worker.start()
time.sleep(0.5)  # the worker is in the core, which asks for Python's lock now and then
del chunks
gc.collect()
worker.join()
print("done")
"""
        done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                              timeout=120)
        assert done.stdout.strip() == "done", done.stderr

    def test_memory_stays_bounded_when_a_year_streams_in_chunks(self, run_folder):
        chunks = velmora.generate(run_folder, 2, days=250, chunk_vehicles=50000)
        vehicles = len(next(chunks))
        before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss  # KiB
        for chunk in chunks:
            vehicles += len(chunk)
        grown = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before
        assert vehicles > 9_000_000  # a whole frame would take 2.3 GB
        assert grown < 100 * 1024, f"the peak grew by {grown} KiB"


class TestInterruption:
    """Ctrl-C (SIGINT) stops a long call with KeyboardInterrupt, and the module goes on."""

    @staticmethod
    def interrupted(call):
        timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
        timer.start()
        try:
            with pytest.raises(KeyboardInterrupt):
                call()
        finally:
            timer.cancel()

    def test_a_long_run_stops_at_ctrl_c(self, run_folder):
        expected = velmora.daily_maxima(run_folder, 5, "moment:30", days=3)
        self.interrupted(lambda: velmora.daily_maxima(run_folder, 5, "moment:30", days=2000))
        self.interrupted(lambda: velmora.generate(run_folder, 5, days=2000))
        pd.testing.assert_frame_equal(velmora.daily_maxima(run_folder, 5, "moment:30", days=3),
                                      expected)


class TestLoadEffects:
    EFFECTS = ["moment:30", "shear:12", "hogging:20"]

    def test_daily_maxima_equal_the_maxima_files(self, motorway):
        run(VELMORA, "--seed", 4, "--no-records", *sum((["--effect", e] for e in self.EFFECTS), []),
            "--lane-factors", "1,0.5,1,0.5", "--kn-per-unit", 0.981, "--maxima", "maxima.csv",
            "--event-maxima", "events.csv", "--event-classes", 3, folder=motorway)
        maxima, events = velmora.daily_maxima(motorway, 4, self.EFFECTS,
                                              lane_factors=[1, 0.5, 1, 0.5], kn_per_unit=0.981,
                                              event_maxima=True, event_classes=3)
        pd.testing.assert_frame_equal(maxima, pd.read_csv(motorway / "maxima.csv"))
        pd.testing.assert_frame_equal(events, pd.read_csv(motorway / "events.csv"))
        assert maxima["unit"].tolist()[:3] == ["kN·m", "kN", "kN·m"]

    def test_a_beam_is_its_text_and_the_hogging_line_is_one(self, run_folder):
        beam = velmora.beam([35, 35.0], "-moment", 35)
        assert beam == "beam:35,35.0:-moment@35"
        maxima = velmora.daily_maxima(run_folder, 6, ["hogging:35", beam], days=2)
        hogging, continuous = (maxima[maxima["effect"] == e]["max"].tolist()
                               for e in ("hogging:35", beam))
        assert hogging == continuous

    def test_days_replace_the_parameter_files(self, run_folder):
        maxima = velmora.daily_maxima(run_folder, 4, "moment:30", days=5)
        assert maxima["day"].tolist() == [1, 2, 3, 4, 5]
        assert maxima["unit"].iloc[0] == "site weight unit·m"

    def test_an_array_line_gives_the_maxima_of_the_same_line_in_a_file(self, run_folder):
        # Two spans of 15 m with a jump at the middle support, as an il: file and as arrays.
        x = [0.0, 7.5, 15.0, 15.0, 22.0, 30.0]
        eta = [0.0, 3.2, -0.4, 0.6, -1.5, 0.0]
        (run_folder / "line.csv").write_text(
            "x_m,ordinate\n" + "".join(f"{a},{b}\n" for a, b in zip(x, eta)))
        run(VELMORA, "--seed", 8, "--no-records", "--effect", "il:line.csv", "--maxima",
            "maxima.csv", folder=run_folder)
        from_file = pd.read_csv(run_folder / "maxima.csv")
        line = velmora.influence_line(np.array(x), eta, name="two spans")
        from_arrays = velmora.daily_maxima(run_folder, 8, [line])
        pd.testing.assert_frame_equal(maxima_values(from_arrays), maxima_values(from_file))
        assert (from_arrays["effect"] == "two spans").all()
        assert line.length_m == 30.0 and line.ordinate_at(15.0) == 0.6

    def test_unnamed_lines_are_named_by_their_place(self, run_folder):
        line = velmora.influence_line([0, 10, 20], [0, 5, 0])
        maxima = velmora.daily_maxima(run_folder, 8, ["moment:20", line], days=1)
        assert maxima["effect"].tolist() == ["moment:20", "line2"]
        # The same line as moment:20 gives the same maxima.
        assert maxima["max"].iloc[0] == maxima["max"].iloc[1]

    def test_load_effects_on_records_equal_velmora_load(self, motorway):
        run(VELMORA, "--seed", 6, "--format", "csv", folder=motorway)
        run(VELMORA_LOAD, *sum((["--effect", e] for e in self.EFFECTS), []), "--kn-per-unit",
            0.981, "--event-maxima", "events.csv", "-o", "maxima.csv", "TrafOut.txt",
            folder=motorway)
        records = pd.read_csv(motorway / "TrafOut.txt")
        maxima, events = velmora.load_effects(records, self.EFFECTS, kn_per_unit=0.981,
                                              event_maxima=True)
        pd.testing.assert_frame_equal(maxima, pd.read_csv(motorway / "maxima.csv"))
        pd.testing.assert_frame_equal(events, pd.read_csv(motorway / "events.csv"))

    def test_records_as_floats_and_without_the_stamp_are_taken(self, run_folder):
        records = velmora.generate(run_folder, 6, days=1)
        expected = velmora.load_effects(records, "moment:25")
        station = records.drop(columns=["time_s"]).astype(float).sample(frac=1, random_state=1)
        station = station.sort_index()
        pd.testing.assert_frame_equal(velmora.load_effects(station, "moment:25"), expected)

    def test_fatigue_equals_velmoras_spectra_and_damage(self, run_folder):
        options = ["--effect", "moment:20", "--kn-per-unit", 0.981, "--detail-category", 71,
                   "--detail-category", 56, "--stress-per-unit", "moment:20=0.02",
                   "--fatigue-gate", 5, "--gamma-mf", 1.35]
        run(VELMORA, "--seed", 9, "--no-records", *options, "--maxima", "maxima.csv", "--fatigue",
            "spectra.csv", "--damage", "damage.csv", folder=run_folder)
        tables = velmora.fatigue(run_folder, "moment:20", seed=9, kn_per_unit=0.981,
                                 detail_categories=[71, 56], stress_per_unit={"moment:20": 0.02},
                                 gate=5, gamma_mf=1.35)
        pd.testing.assert_frame_equal(tables["spectra"], pd.read_csv(run_folder / "spectra.csv"))
        pd.testing.assert_frame_equal(tables["damage"], pd.read_csv(run_folder / "damage.csv"))
        records = velmora.generate(run_folder, 9)
        from_records = velmora.fatigue(records, "moment:20", kn_per_unit=0.981,
                                       detail_categories=[71, 56],
                                       stress_per_unit={"moment:20": 0.02}, gate=5, gamma_mf=1.35)
        pd.testing.assert_frame_equal(from_records["damage"], tables["damage"])


class TestExtremes:
    def test_fits_equal_velmora_extremes_csv(self, run_folder):
        run(VELMORA, "--seed", 12, "--no-records", "--effect", "moment:30", "--effect", "shear:30",
            "--maxima", "maxima.csv", "--event-maxima", "events.csv", folder=run_folder)
        # Two runs of 2 days make too short a series: fit 40 days of the sample instead.
        maxima, events = velmora.daily_maxima(run_folder, 12, ["moment:30", "shear:30"], days=40,
                                              event_maxima=True)
        maxima.to_csv(run_folder / "maxima40.csv", index=False)
        events.to_csv(run_folder / "events40.csv", index=False)
        run(VELMORA_EXTREMES, "--days-per-year", 10, "--return-period", 50, "--return-period", 200,
            "--resamples", 20, "--seed", 3, "--composite", "events40.csv", "--csv", "fits.csv",
            "maxima40.csv", folder=run_folder)
        with pytest.warns(velmora.FitWarning):
            fits = velmora.extremes(maxima, return_periods=(50, 200), days_per_year=10,
                                    resamples=20, seed=3, composite=events)
        pd.testing.assert_frame_equal(fits, pd.read_csv(run_folder / "fits.csv"))
        assert set(fits["model"]) == {"gev", "gumbel", "gpd", "composite"}

    def test_runs_are_fitted_one_after_the_other(self, run_folder):
        runs = [velmora.daily_maxima(run_folder, seed, "moment:30", days=20) for seed in (1, 2)]
        for seed, frame in zip((1, 2), runs):
            frame.to_csv(run_folder / f"run{seed}.csv", index=False)
        run(VELMORA_EXTREMES, "--days-per-year", 10, "--csv", "fits.csv", "run1.csv", "run2.csv",
            folder=run_folder)
        with pytest.warns(velmora.FitWarning):
            fits = velmora.extremes(runs, days_per_year=10)
        pd.testing.assert_frame_equal(fits, pd.read_csv(run_folder / "fits.csv"))


class TestRefusals:
    def test_bad_run_options_raise_velmoras_messages(self, run_folder):
        cases = [
            (["--effect", "moment:0"], dict(effects="moment:0")),
            (["--effect", "moment:30", "--lane-factors", "1,2,3"],
             dict(effects="moment:30", lane_factors=(1, 2, 3))),
            (["--effect", "moment:30", "--kn-per-unit", "-1"],
             dict(effects="moment:30", kn_per_unit=-1)),
            (["--effect", "moment:30", "--effect", "moment:30"],
             dict(effects=["moment:30", "moment:30"])),
            (["--effect", "moment:30", "--jams", "1:0"], dict(effects="moment:30", jams=(1, 0))),
            (["--effect", "il:missing.csv"], dict(effects="il:missing.csv")),
        ]
        for arguments, keywords in cases:
            message = refusal(VELMORA, "--seed", 1, "--no-records", "--maxima", "m.csv",
                              *arguments, folder=run_folder)
            with pytest.raises(ValueError) as raised:
                velmora.daily_maxima(run_folder, 1, **keywords)
            assert str(raised.value) == message
        message = refusal(VELMORA, "--seed", -1, folder=run_folder)
        with pytest.raises(ValueError, match="^--seed is"):
            velmora.generate(run_folder, -1)
        assert message.startswith("--seed is \"-1\"")

    def test_a_bad_parameter_file_raises_velmoras_message(self, run_folder):
        (run_folder / "VLMin.txt").write_text(MOTORWAY.format(days=3).replace("\n2000\n", "\n0\n"))
        message = refusal(VELMORA, "--seed", 1, folder=run_folder)
        with pytest.raises(ValueError) as raised:
            velmora.generate(run_folder, 1)
        assert str(raised.value) == message

    def test_bad_records_raise_velmora_loads_messages(self, run_folder):
        run(VELMORA, "--seed", 2, "--format", "csv", folder=run_folder)
        records = pd.read_csv(run_folder / "TrafOut.txt")
        message = refusal(VELMORA_LOAD, "--effect", "moment:30", "--lane-factors", "1,1,1", "-o",
                          "m.csv", "TrafOut.txt", folder=run_folder)
        with pytest.raises(ValueError) as raised:
            velmora.load_effects(records, "moment:30", lane_factors=[1, 1, 1])
        assert str(raised.value) == message.replace('the stream "TrafOut.txt"', "records")
        with pytest.raises(ValueError, match="^records row 3: .*before"):
            velmora.load_effects(records.iloc[[0, 2, 1]], "moment:30")
        with pytest.raises(ValueError, match="^records row 1 is not a vehicle record: day 0"):
            velmora.load_effects(records.assign(day=0), "moment:30")
        with pytest.raises(ValueError, match="^records lack the column lane"):
            velmora.load_effects(records.drop(columns=["lane"]), "moment:30")
        with pytest.raises(ValueError, match="^records row 2 column speed_dm_per_s is 1.5"):
            velmora.load_effects(records.astype({"speed_dm_per_s": float}).assign(
                speed_dm_per_s=lambda r: np.where(r.index == 1, 1.5, r.speed_dm_per_s)), "moment:30")

    def test_bad_lines_and_analyses_raise_their_messages(self, run_folder):
        with pytest.raises(ValueError, match="^influence_line is not a line of x rising from 0"):
            velmora.influence_line([0, 5, 4], [0, 1, 0])
        with pytest.raises(ValueError, match="^influence_line: x has 3 values and ordinates 2"):
            velmora.influence_line([0, 5, 10], [0, 1])
        maxima = velmora.daily_maxima(run_folder, 1, "moment:30", days=20)
        maxima.to_csv(run_folder / "maxima.csv", index=False)
        message = refusal(VELMORA_EXTREMES, "--return-period", 0.5, "maxima.csv", folder=run_folder)
        with pytest.raises(ValueError) as raised:
            velmora.extremes(maxima, return_periods=[0.5])
        assert str(raised.value) == message
        with pytest.raises(ValueError, match="^maxima 1 line 3: day 3 of moment:30 does not follow"):
            velmora.extremes(maxima.drop(index=1))
        with pytest.raises(ValueError, match="^the run folder"):
            velmora.generate(run_folder / "nowhere", 1)
        with pytest.raises(ValueError, match="^chunk_vehicles is 0"):
            velmora.generate(run_folder, 1, chunk_vehicles=0)
