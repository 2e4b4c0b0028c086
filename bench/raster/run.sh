#!/usr/bin/env bash
# Installs pixman for the comparison (benchmark only), builds the raster benchmark and runs it:
# five repetitions, medians reported, ours and pixman's in one run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/raster}"
if ! dpkg-query -W -f='${Status}' libpixman-1-dev 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get install -y -qq --no-install-recommends libpixman-1-dev
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target raster_bench -j 2
"$build/bench/raster/raster_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2
