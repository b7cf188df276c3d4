#!/usr/bin/env bash
# Repeats the solver benchmarks and gives each figure as its range over the
# series, for figures that move with the machine's load:
#   bash bench/series.sh <builddir> <series>
# A series is one band_bench (5 repetitions of each routine on every path of
# the band routines this processor runs, each against OpenBLAS's kernels of
# the same instruction set, see band_bench.cpp) and one run_bench process of
# 5 runs on 1 thread for each vector path. Prints each series' figures, then
# for every routine, path and kernel the range of the medians (ours,
# OpenBLAS's and their ratio), and for the whole run on each path the range
# of its median and of what the first run of a process takes more.
set -euo pipefail
build="${1:?usage: bash bench/series.sh <builddir> <series>}"
series="${2:?}"
export OPENBLAS_NUM_THREADS=1
lines=$(mktemp)
trap 'rm -f "$lines"' EXIT
for ((s = 1; s <= series; ++s)); do
  echo "== series $s, load $(cut -d' ' -f1-3 /proc/loadavg)"
  # Median lines: name, our time (ms), OpenBLAS's time, ratio, then the
  # label: "<path> path against OpenBLAS <kernels>".
  "$build/bench/band_bench" 2>/dev/null | awk -v s="$s" '/_median / {
      name = $1; sub(/\/repeats.*/, "", name); sub(/\/min_time:[0-9.]*/, "", name)
      ob = ""; r = ""; label = ""
      for (i = 1; i <= NF; ++i) {
        if ($i ~ /^openblas_ms=/) { ob = substr($i, 13) }
        else if ($i ~ /^ratio=/) { r = substr($i, 7) }
        else if (r != "") { label = label (label == "" ? "" : "_") $i }
      }
      printf "band %s %s %s %s %s %s\n", s, name, $2, ob, r, label }' | tee -a "$lines"
  for path in avx512 avx2; do
    out=$("$build/bench/run_bench" --path=$path 5 1 2>/dev/null) || continue
    awk -v s="$s" -v p="$path" '/Run_Calculation total/ {m = $4; f = $5}
        /first run over the median/ {printf "run %s %s %s %s %s\n", s, p, m, f, $NF}' <<<"$out" | tee -a "$lines"
  done
done
echo "== ranges over $series series"
awk '$1 == "band" {
       k = $3 ", " $7; gsub(/_/, " ", k)
       if (!(k in lo)) { order[++n] = k; lo[k] = hi[k] = $4; olo[k] = ohi[k] = $5; rlo[k] = rhi[k] = $6 }
       if ($4 < lo[k]) lo[k] = $4; if ($4 > hi[k]) hi[k] = $4
       if ($5 < olo[k]) olo[k] = $5; if ($5 > ohi[k]) ohi[k] = $5
       if ($6 < rlo[k]) rlo[k] = $6; if ($6 > rhi[k]) rhi[k] = $6 }
     $1 == "run" {
       p = $3
       if (!(p in mlo)) { porder[++np] = p; mlo[p] = mhi[p] = $4; flo[p] = fhi[p] = $6 }
       if ($4 < mlo[p]) mlo[p] = $4; if ($4 > mhi[p]) mhi[p] = $4
       if ($6 < flo[p]) flo[p] = $6; if ($6 > fhi[p]) fhi[p] = $6 }
     END {
       for (i = 1; i <= n; ++i) { k = order[i]
         printf "%-80s ours %.2f-%.2f ms, OpenBLAS %.2f-%.2f ms, ratio %.2f-%.2f\n",
                k, lo[k], hi[k], olo[k], ohi[k], rlo[k], rhi[k] }
       for (i = 1; i <= np; ++i) { p = porder[i]
         printf "Run_Calculation, %s path, 1 thread: median %.3f-%.3f s; the first run of a process %.3f-%.3f s more\n",
                p, mlo[p], mhi[p], flo[p], fhi[p] } }' "$lines"
