#!/bin/sh
# A campaign on a one-node Slurm cluster started on this machine: the job array and the
# combining give exactly what the same plan gives across the cores, and a failed task makes
# "submit --wait" fail. usage: slurm_campaign_test.sh BUILD_FOLDER (run as root from the
# source folder; the Slurm daemons stay up afterwards).
set -eu

campaign="$(cd "$1" && pwd)/velmora-campaign"
sh scripts/start-slurm-node.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r sample "$work/site"
cd "$work"
plan() {
  "$campaign" plan site "$1" --years 6 --years-per-run 2 --days-per-year 2 --block-days 1 \
    --seed 41 --effect moment:30 --return-period 50 > /dev/null
}

plan cores
plan cluster
"$campaign" run cores --jobs 2 > /dev/null
timeout 900 "$campaign" submit cluster --wait
cmp cores/return-levels.csv cluster/return-levels.csv
cmp cores/report.txt cluster/report.txt

plan failing
printf 'TrafOut.txt\n50\nmany\n' > failing/run-0001/VLMin.txt
if timeout 900 "$campaign" submit failing --wait 2> failing.txt; then
  echo "error: submit --wait succeeded although a task failed" >&2
  exit 1
fi
grep -q "^error: run-0001 (seed 42, 4 days) was not made" failing.txt || {
  cat failing.txt >&2
  exit 1
}
test ! -e failing/report.txt
echo "The campaign on Slurm gives what it gives on the cores, and a failed task fails it."
