#!/usr/bin/env bash
# Writes fuzzing seeds built from the sample run folder into the folder given: each seed is
# a parameter file and the seven site files of one site, joined by zero bytes.
set -euo pipefail
out=$1
sample=$(cd "$(dirname "$0")/../../sample" && pwd)
mkdir -p "$out"

seed() {  # seed NAME SITE-FOLDER VALUE-LINES...
  local name=$1 site=$2
  shift 2
  {
    printf '%s\n' "$@"
    for f in 'AW2&3.csv' 'AW4&5.csv' ASall.csv 'Class%.csv' GVWpdf.csv FlowR.csv NHM.csv; do
      printf '\0'
      cat "$sample/Traffic/$site/$f"
    done
  } > "$out/$name"
}

seed auxerre-free-flow Auxerre out.txt 50 2 2 2 2000 1 1 5 30 0.05 6 0.8
seed auxerre-table Auxerre out.txt 50 2 2 2 50 1 1 5 30 0.05 0 0.5
seed auxerre-congested Auxerre out.txt 50 1 2 2 100 1 1 5 30 0.05 5 0.9
seed angers-trucks Angers out.txt 50 1 1 1 500 2 2 5 30 0.05 7 0.0
