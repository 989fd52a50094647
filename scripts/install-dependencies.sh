#!/bin/sh
# Installs, with apt-get, the Debian packages that a purpose needs, skipping those that are
# installed already:
#   run    build and run the programs (a compiler, CMake, and GSL for velmora-extremes);
#   python also build the Python module (Python's headers, pybind11, numpy and pandas);
#   test   also build and pass the tests (GoogleTest, zlib, the chart's XML and SVG tools,
#          pandas for the CSV check, scipy for the extreme-value check, scikit-learn for
#          the mixture check, numpy for the station records, setpriv for the
#          unreadable-file check), and the Python module with its tests (pytest) and its
#          notebook (nbconvert, ipykernel, matplotlib);
#   bench  also build the benchmarks (Google Benchmark);
#   slurm  a one-node Slurm cluster for velmora-campaign submit (slurm-wlm, munge);
#   ci     also build the sanitized and fuzzing builds (clang with its libFuzzer runtime),
#          check the code's format (clang-format) and try the campaign on Slurm.
# Needs root, as apt-get does.
set -eu

purpose=${1:-}
packages="cmake g++ make libgsl-dev"
python="python3-dev pybind11-dev python3-numpy python3-pandas"
notebook="python3-pytest python3-nbconvert python3-ipykernel python3-matplotlib"
case "$purpose" in
  run) ;;
  python) packages="$packages $python" ;;
  test) packages="$packages libgtest-dev zlib1g-dev libxml2-utils librsvg2-bin python3-pandas
                  python3-numpy python3-scipy python3-sklearn util-linux $python $notebook" ;;
  bench) packages="$packages libbenchmark-dev" ;;
  slurm) packages="slurm-wlm munge" ;;
  ci) packages="$packages libgtest-dev zlib1g-dev libxml2-utils librsvg2-bin python3-pandas
                python3-numpy python3-scipy python3-sklearn util-linux libbenchmark-dev clang libclang-rt-dev clang-format
                slurm-wlm munge $python $notebook" ;;
  *) echo "usage: $0 run|python|test|bench|slurm|ci" >&2; exit 2 ;;
esac

missing=""
for package in $packages; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  # Services are started by whoever needs them (start-slurm-node.sh), never by the install.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy" && chmod +x "$policy"
    trap 'rm -f "$policy"' EXIT
  fi
  apt-get update
  # shellcheck disable=SC2086 # one word a package
  apt-get install -y --no-install-recommends $missing
fi
