"""Station-like weigh-in-motion records with known distributions, fitted by velmora-fit and
generated again by velmora: the generated stream must give back the known class shares, the
heavy classes' gross weights and the weekday flows.

usage: station_records.py VELMORA VELMORA_FIT FOLDER

The records: two lanes (one per direction) over four weeks from Monday 4 March 2024, real
dates in a `datetime` column, weights in kg, fewer vehicles on Saturdays and Sundays, trucks of
2 to 7 axles, a few broken lines, the lanes' records one lane after the other (as merged
per-lane files) with some swapped within their lane, and a few trucks whose axle weights miss
their gross weight. Prints what is wrong and exits 1, or exits 0.
"""
import datetime
import math
import os
import subprocess
import sys

import numpy as np

START = datetime.datetime(2024, 3, 4)  # a Monday
WEEKS = 4
WEEKEND_FACTOR = 0.4
TRUCKS_PER_HOUR = [15, 12, 12, 15, 22, 40, 75, 95, 100, 100, 100, 98,
                   95, 98, 100, 100, 98, 90, 75, 55, 40, 30, 22, 18]  # weekdays, per lane
CAR_SHARE = 0.5  # of all vehicles
# % of trucks of 2 to 7 axles, per lane.
SHARES = {1: [20, 8, 12, 50, 7, 3], 2: [35, 10, 15, 32, 5, 3]}
# Gross weights in kg: normal mixtures (weight, mean, deviation) per number of axles.
GROSS_KG = {
    2: [(0.6, 9000, 2000), (0.4, 14000, 2500)],
    3: [(0.5, 15000, 3000), (0.5, 24000, 3000)],
    4: [(0.4, 17000, 3000), (0.6, 32000, 4000)],
    5: [(0.35, 16000, 2500), (0.65, 38000, 4000)],
    6: [(0.3, 28000, 4000), (0.7, 40000, 5000)],
    7: [(0.5, 48000, 6000), (0.5, 66000, 8000)],
}
SPACINGS_DM = {2: [45], 3: [40, 13], 4: [35, 60, 13], 5: [37, 13, 62, 13],
               6: [36, 13, 60, 13, 13], 7: [30, 14, 45, 14, 14, 14]}
HEADER = ("datetime,lane,direction,speed_dm_per_s,gross_weight,axles," +
          ",".join(f"axle{k}_weight,axle{k}_spacing_dm" for k in range(1, 7)) +
          ",axle7_weight")


def draw_mixture(rng, mixture):
    weights = [w for w, _, _ in mixture]
    k = rng.choice(len(mixture), p=weights)
    _, mean, sd = mixture[k]
    return rng.normal(mean, sd)


def mixture_cdf(mixture, x):
    return sum(w * 0.5 * (1 + math.erf((x - m) / (s * math.sqrt(2)))) for w, m, s in mixture)


def vehicle_fields(rng, axles):
    """gross weight (kg), axle weights (kg) and spacings (dm) of one vehicle."""
    if axles == 0:  # a car
        gross = rng.normal(1500, 200)
        return gross, [gross / 2, gross / 2], [26]
    gross = -1
    while not 3500 <= gross <= 150000:
        gross = draw_mixture(rng, GROSS_KG[axles])
    shares = rng.dirichlet([8] * axles)
    weights = list(gross * shares)
    spacings = [max(5, rng.normal(s, 0.05 * s)) for s in SPACINGS_DM[axles]]
    return gross, weights, spacings


def line_of(rng, when, lane, axles):
    gross, weights, spacings = vehicle_fields(rng, axles)
    if axles > 0 and rng.random() < 0.002:
        weights[0] *= 1.5  # a truck whose axles miss its gross weight
    n = len(weights)
    fields = [when.strftime("%Y-%m-%dT%H:%M:%S") + f".{int(rng.integers(0, 100)):02d}",
              str(lane), str(lane), f"{rng.normal(240, 15):.0f}", f"{gross:.0f}", str(n)]
    for k in range(7):
        fields.append(f"{weights[k]:.0f}" if k < n else "")
        if k < 6:
            fields.append(f"{spacings[k]:.1f}" if k < n - 1 else "")
    return ",".join(fields)


def lane_lines(rng, lane):
    """The lane's lines in time order, then some swapped with their neighbour."""
    lines = []
    classes = [2, 3, 4, 5, 6, 7]
    shares = np.array(SHARES[lane], dtype=float) / 100
    for day in range(7 * WEEKS):
        date = START + datetime.timedelta(days=day)
        factor = WEEKEND_FACTOR if date.weekday() >= 5 else 1.0
        for hour in range(24):
            trucks = TRUCKS_PER_HOUR[hour] * factor
            vehicles = trucks / (1 - CAR_SHARE)
            count = rng.poisson(vehicles)
            for second in np.sort(rng.uniform(0, 3600, count)):
                when = date + datetime.timedelta(hours=hour, seconds=float(second))
                axles = 0 if rng.random() < CAR_SHARE else int(rng.choice(classes, p=shares))
                lines.append(line_of(rng, when, lane, axles))
    for i in range(100, len(lines) - 1, 997):
        lines[i], lines[i + 1] = lines[i + 1], lines[i]
    return lines


def write_records(path):
    rng = np.random.default_rng(20240304)
    lines = lane_lines(rng, 1) + lane_lines(rng, 2)
    for i in range(5):
        lines.insert(1000 + 5000 * i, "broken line" if i % 2 else "2024-03-05T08:00:00,1,1")
    with open(path, "w") as out:
        out.write(HEADER + "\n" + "\n".join(lines).replace("T07:", " 07:") + "\n")


def run(command, cwd):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed:\n{done.stdout}\n{done.stderr}")
    return done.stdout


def generated_stream(velmora, fit, folder, days):
    site = os.path.join(folder, "run", "Traffic", "A196")
    os.makedirs(site, exist_ok=True)
    console = run([fit, "--weight-unit", "kg", "-o", site, "records.csv"], folder)
    car_fraction = console.split("car fraction ")[1].split()[0]
    with open(os.path.join(folder, "run", "VLMin.txt"), "w") as out:
        out.write(f"TrafOut.txt\n50\n{days}\n3\n3\n2000\n1\n1\n5\n30\n0.05\n6\n{car_fraction}\n")
    run([velmora, "--seed", "7", "--format", "csv"], os.path.join(folder, "run"))
    data = np.genfromtxt(os.path.join(folder, "run", "TrafOut.txt"), delimiter=",",
                         names=True, usecols=("gross_weight", "axles", "lane", "axle1_weight"))
    return console, data


def largest_gap(values, mixture):
    """The largest gap between the values' distribution and mixture's (whole units of 100 kg)."""
    values = np.sort(values)
    gap = 0.0
    for i, value in enumerate(values):
        below = mixture_cdf(mixture, (value - 0.5) * 100)
        above = mixture_cdf(mixture, (value + 0.5) * 100)
        gap = max(gap, abs(i / len(values) - below), abs((i + 1) / len(values) - above))
    return gap


def check_unit_hint(fit, folder, failures):
    """Without --weight-unit, records in kg fit no table, and the refusal says why."""
    done = subprocess.run([fit, "-o", "kg-as-site", "records.csv"], cwd=folder,
                          capture_output=True, text=True)
    hint = "most above 2000: if they are in kg, give --weight-unit kg"
    if done.returncode != 2 or hint not in done.stderr or os.path.exists(
            os.path.join(folder, "kg-as-site")):
        failures.append(f"records in kg fitted as site units: exit {done.returncode}, "
                        f"{done.stderr}")


def check_console(console, failures):
    for text in ["Days: 20 days fitted, Monday to Friday; 7 Saturdays and Sundays left out",
                 "Left out 2 lines with 1 field where the header has 19",
                 "Left out 3 lines with 3 fields where the header has 19", "that came out of time order within their lane",
                 "whose axle weights miss their gross weight by more than 5 %",
                 "HV6to9.csv", "weights in units of 100 kg"]:
        if text not in console:
            failures.append(f"velmora-fit's console lacks \"{text}\":\n{console}")


def check_stream(data, days, failures):
    cars = (data["axles"] == 2) & (data["gross_weight"] == 20) & (data["axle1_weight"] == 10)
    largest_miss = 0.0
    for lane in (1, 2):
        trucks = data[(data["lane"] == lane) & ~cars]
        for k, axles in enumerate([2, 3, 4, 5, 6, 7]):
            share = 100 * np.mean(trucks["axles"] == axles)
            largest_miss = max(largest_miss, abs(share - SHARES[lane][k]))
            if abs(share - SHARES[lane][k]) > 1.5:
                failures.append(f"lane {lane}: {axles}-axle share {share:.2f} %, "
                                f"known {SHARES[lane][k]} %")
        per_day = len(trucks) / days
        known = sum(TRUCKS_PER_HOUR)
        print(f"lane {lane}: {per_day:.0f} trucks a day, known {known} on weekdays")
        if abs(per_day / known - 1) > 0.06:
            failures.append(f"lane {lane}: {per_day:.0f} trucks a day, known {known} on weekdays")
    print(f"class shares: largest miss {largest_miss:.2f} points")
    for axles in (6, 7):
        weights = data["gross_weight"][(data["axles"] == axles) & ~cars]
        gap = largest_gap(weights, GROSS_KG[axles])
        print(f"{axles}-axle trucks: {len(weights)}, largest gap {gap:.4f}")
        if gap > 0.05:
            failures.append(f"{axles}-axle gross weights: largest gap {gap:.4f} (> 0.05)")


def main():
    velmora, fit, folder = (os.path.abspath(path) for path in sys.argv[1:4])
    os.makedirs(folder, exist_ok=True)
    write_records(os.path.join(folder, "records.csv"))
    days = 40
    console, data = generated_stream(velmora, fit, folder, days)
    print(console)
    failures = []
    check_console(console, failures)
    check_unit_hint(fit, folder, failures)
    check_stream(data, days, failures)
    for failure in failures:
        print("FAILED: " + failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
