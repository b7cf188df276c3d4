#!/usr/bin/env bash
# Repeats the solver benchmarks and gives each figure as its range over the
# series, for figures that move with the machine's load:
#   bash bench/series.sh <builddir> <series>
# A series is one band_bench (5 repetitions of each routine, against
# OpenBLAS's own kernels and its others, see band_bench.cpp) and one
# run_bench process of 5 runs on 1 thread. Prints each series' figures, then
# for every routine and kernel the range of the medians (ours, OpenBLAS's and
# their ratio), and for the whole run the range of its median and of what
# the first run of a process takes more.
set -euo pipefail
build="${1:?usage: bash bench/series.sh <builddir> <series>}"
series="${2:?}"
export OPENBLAS_NUM_THREADS=1
lines=$(mktemp)
trap 'rm -f "$lines"' EXIT
for ((s = 1; s <= series; ++s)); do
  echo "== series $s, load $(cut -d' ' -f1-3 /proc/loadavg)"
  # Median lines: name, our time (ms), OpenBLAS's time, ratio, kernels.
  "$build/bench/band_bench" 2>/dev/null | awk -v s="$s" '/_median / {
      name = $1; sub(/\/repeats.*/, "", name); sub(/\/min_time:[0-9.]*/, "", name)
      ob = ""; r = ""
      for (i = 1; i <= NF; ++i) {
        if ($i ~ /^openblas_ms=/) { ob = substr($i, 13) }
        if ($i ~ /^ratio=/) { r = substr($i, 7) }
      }
      printf "band %s %s %s %s %s %s\n", s, name, $2, ob, r, $NF }' | tee -a "$lines"
  "$build/bench/run_bench" 5 1 | awk -v s="$s" '/Run_Calculation total/ {m = $4; f = $5}
      /first run over the median/ {printf "run %s Run_Calculation %s %s %s\n", s, m, f, $NF}' | tee -a "$lines"
done
echo "== ranges over $series series"
awk '$1 == "band" {
       k = $3 " against " $7
       if (!(k in lo)) { order[++n] = k; lo[k] = hi[k] = $4; olo[k] = ohi[k] = $5; rlo[k] = rhi[k] = $6 }
       if ($4 < lo[k]) lo[k] = $4; if ($4 > hi[k]) hi[k] = $4
       if ($5 < olo[k]) olo[k] = $5; if ($5 > ohi[k]) ohi[k] = $5
       if ($6 < rlo[k]) rlo[k] = $6; if ($6 > rhi[k]) rhi[k] = $6 }
     $1 == "run" {
       if (!runs++) { mlo = mhi = $4; flo = fhi = $6 }
       if ($4 < mlo) mlo = $4; if ($4 > mhi) mhi = $4
       if ($6 < flo) flo = $6; if ($6 > fhi) fhi = $6 }
     END {
       for (i = 1; i <= n; ++i) { k = order[i]
         printf "%-60s ours %.2f-%.2f ms, OpenBLAS %.2f-%.2f ms, ratio %.2f-%.2f\n",
                k, lo[k], hi[k], olo[k], ohi[k], rlo[k], rhi[k] }
       if (runs) printf "Run_Calculation, 1 thread: median %.3f-%.3f s; the first run of a process %.3f-%.3f s more\n",
                        mlo, mhi, flo, fhi }' "$lines"
