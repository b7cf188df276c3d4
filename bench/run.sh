#!/usr/bin/env bash
# Runs every benchmark executable of a build: bash bench/run.sh <builddir>
set -euo pipefail
build="${1:?usage: bash bench/run.sh <builddir>}"
export OPENBLAS_NUM_THREADS=1
status=0
found=0
for exe in "$build"/bench/*; do
  [[ -f "$exe" && -x "$exe" ]] || continue
  found=1
  echo "== $(basename "$exe")"
  case "$(basename "$exe")" in
    # Frames are drawn on a private X server by Mesa's software renderer.
    frame_bench) LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
                   "$(dirname "$0")/../tools/with-xvfb.sh" "$exe" || status=1 ;;
    *) "$exe" || status=1 ;;
  esac
done
if [[ $found -eq 0 ]]; then
  echo "no benchmark executables in $build/bench" >&2
  exit 1
fi
exit $status
