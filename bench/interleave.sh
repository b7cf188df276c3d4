#!/usr/bin/env bash
# Compares two builds of run_bench, series by series, each series one process
# of each in turn, so that both meet the same drift in the machine's load:
#   bash bench/interleave.sh <run_bench A> <run_bench B> <series> [run_bench arguments ...]
# e.g. bash bench/interleave.sh /tmp/before/bench/run_bench build-bench/bench/run_bench 7 5 1
# Prints, for every series and binary, the Run_Calculation total (min,
# median and first of the process's runs) and the longest time between two
# yields (median), then the minimum and median over the series of each.
set -euo pipefail
a="${1:?usage: bash bench/interleave.sh <run_bench A> <run_bench B> <series> [arguments ...]}"
b="${2:?}"
series="${3:?}"
shift 3
export OPENBLAS_NUM_THREADS=1
declare -A medians
for ((s = 1; s <= series; ++s)); do
  for which in A B; do
    exe=$a
    [[ $which == B ]] && exe=$b
    out=$("$exe" "$@")
    total=$(grep -m1 'Run_Calculation total' <<<"$out" | awk '{print $3, $4, $5}')
    gap=$(grep -m1 'longest time between two yields' <<<"$out" | awk '{print $(NF-1)}')
    printf 'series %d %s: Run_Calculation min/median/first %s s; longest wait for a yield (median) %s s; load %s\n' \
      "$s" "$which" "$total" "$gap" "$(cut -d' ' -f1 /proc/loadavg)"
    medians[$which]+="$(awk '{print $2}' <<<"$total") "
  done
done
for which in A B; do
  # shellcheck disable=SC2086
  printf '%s ' ${medians[$which]} | tr ' ' '\n' | grep . | sort -g |
    awk -v w="$which" '{v[NR] = $1} END {m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
      printf "%s: medians of %d series: min %.3f s, median %.3f s, max %.3f s\n", w, NR, v[1], m, v[NR]}'
done
