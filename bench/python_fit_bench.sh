#!/usr/bin/env bash
# Fits 1,000 three-peak curves from Python in one process (on one thread and
# on two), then the same files with one `tsccurve fit` process each, and
# prints the times, wall and CPU: on a busy machine the CPU time is the
# figure to compare. Needs a build with the Python module (script/build).
# Usage: bench/python_fit_bench.sh [BUILD_DIR] [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
count="${2:-1000}"
tsccurve="$build/tsccurve/tsccurve"
export PYTHONPATH="$PWD/$build/python"

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
/usr/bin/python3 bench/python_fit_bench.py write "$folder" "$count"

/usr/bin/python3 bench/python_fit_bench.py fit "$folder" 1
/usr/bin/python3 bench/python_fit_bench.py fit "$folder" 2

options=(--beta 5 --area 1 --json --peaks 3)
what="three peaks"
files=("$folder"/*.csv)
# One process per file; the count of converged fits goes to a file, the
# times (wall, user and system CPU of the processes) to standard error.
fit_each() {
  local converged=0
  for file in "${files[@]}"; do
    if "$tsccurve" fit "$file" "${options[@]}" >/dev/null 2>&1; then converged=$((converged + 1)); fi
  done
  echo "$converged" >"$folder/converged"
}
TIMEFORMAT="%R %U %S"
read -r wall user system < <({ time fit_each; } 2>&1)
awk -v w="$wall" -v cpu="$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" \
  -v n="$count" -v c="$(cat "$folder/converged")" -v what="$what" 'BEGIN {
  printf "tsccurve fit, one process per file (%s): %d fits in %.1f s (%.1f ms each, %.1f s of CPU), %d converged\n",
    what, n, w, 1000 * w / n, cpu, c }'
