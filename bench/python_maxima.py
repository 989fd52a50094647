"""The daily maxima from Python against the command line on the same work.

    python3 bench/python_maxima.py BUILD [DAYS] [REPEATS]

BUILD is a build folder configured with -DVELMORA_PYTHON=ON. Both sides make the sample's
four-lane motorway for DAYS days (default 100) with seed 1 and follow the moments of a
30 m span and of a two-span beam's support (given to Python as arrays, to velmora as an
il: file): velmora --no-records --maxima FILE in a process of its own, and
velmora.daily_maxima() in this one. The runs alternate, REPEATS (default 5) of each; the
medians of their wall times are printed, and the two maxima tables must be equal.
"""

import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import numpy as np
import pandas as pd

BUILD = Path(sys.argv[1]).resolve()
DAYS = int(sys.argv[2]) if len(sys.argv) > 2 else 100
REPEATS = int(sys.argv[3]) if len(sys.argv) > 3 else 5
sys.path.insert(0, str(BUILD / "python"))
import velmora  # noqa: E402

MOTORWAY = f"TrafOut.txt\n50\n{DAYS}\n1\n1\n2000\n2\n2\n5\n30\n0.05\n6\n0.8\n"


def support_line():
    """The moment over the middle support of two spans of 20 m, hogging positive."""
    span = 20.0
    x = np.linspace(0.0, 2 * span, 21)
    u = np.where(x <= span, x, 2 * span - x)
    return x, u * (span**2 - u**2) / (4 * span**2)


def main():
    folder = Path(tempfile.mkdtemp()) / "motorway"
    shutil.copytree(Path(__file__).resolve().parents[1] / "sample", folder)
    (folder / "VLMin.txt").write_text(MOTORWAY)
    x, eta = support_line()
    (folder / "line.csv").write_text("".join(f"{a!r},{b!r}\n" for a, b in zip(x, eta)))
    line = velmora.influence_line(x, eta, name="il:line.csv")
    command = [str(BUILD / "velmora"), "--seed", "1", "--no-records", "--effect", "moment:30",
               "--effect", "il:line.csv", "--kn-per-unit", "0.981", "--maxima", "maxima.csv"]
    times = {"command line": [], "python": []}
    for _ in range(REPEATS):
        start = time.perf_counter()
        subprocess.run(command, cwd=folder, check=True, stdout=subprocess.DEVNULL)
        times["command line"].append(time.perf_counter() - start)
        start = time.perf_counter()
        maxima = velmora.daily_maxima(folder, 1, ["moment:30", line], kn_per_unit=0.981)
        times["python"].append(time.perf_counter() - start)
    written = pd.read_csv(folder / "maxima.csv")
    pd.testing.assert_frame_equal(maxima, written)
    medians = {side: statistics.median(values) for side, values in times.items()}
    for side, median in medians.items():
        print(f"{side:>12}: median {median:.3f} s of {REPEATS} ({DAYS} days of the motorway)")
    print(f"python / command line: {medians['python'] / medians['command line']:.3f}")
    shutil.rmtree(folder.parent)


if __name__ == "__main__":
    main()
