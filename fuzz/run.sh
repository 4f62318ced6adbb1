#!/bin/sh
# Runs the fuzz targets of a clang build (PAGINOR_FUZZ) for a while each, two at a time, from
# seed corpora written into the git-ignored fuzz/corpus/; prints executions, coverage and
# findings per target. A crash, a failed check, a leak, a timeout or running out of memory
# fails the run; the input is kept in fuzz/artifacts/<target>/.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# FUZZ_CORPUS names another corpus folder (an empty one starts from the seeds, as CI does).
set -eu
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
# Without names: every target, one per fuzz/fuzz_<target>.cpp.
targets=${*:-$(ls fuzz/fuzz_*.cpp | sed 's|fuzz/fuzz_||; s|\.cpp$||' | tr '\n' ' ')}
logs=fuzz/artifacts/logs
mkdir -p "$logs"
corpora=${FUZZ_CORPUS:-fuzz/corpus}
"$build/bin/fuzz_seeds" "$corpora" tests/data

run_one() {
  target=$1
  corpus=$corpora/$target
  mkdir -p "$corpus" "fuzz/artifacts/$target" "fuzz/regressions/$target"
  extra=""
  case $target in
    scanner | xref | conversion) extra="tests/data" ;;
  esac
  dict=""
  case $target in
    scanner | xref | conversion | fonts | objects) dict="-dict=fuzz/pdf.dict" ;;
  esac
  # shellcheck disable=SC2086
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    nice -n 19 "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
    -rss_limit_mb=2560 -print_final_stats=1 $dict \
    -artifact_prefix="fuzz/artifacts/$target/" "$corpus" "fuzz/regressions/$target" $extra \
    >"$logs/$target.log" 2>&1
}

failed=""
set -- $targets
while [ $# -gt 0 ]; do
  first=$1
  shift
  second=""
  if [ $# -gt 0 ]; then
    second=$1
    shift
  fi
  run_one "$first" &
  pid1=$!
  pid2=""
  if [ -n "$second" ]; then
    run_one "$second" &
    pid2=$!
  fi
  wait "$pid1" || failed="$failed $first"
  if [ -n "$pid2" ]; then wait "$pid2" || failed="$failed $second"; fi
done

printf '%-12s %12s %8s  %s\n' Ziel Ausführungen Kanten Befund
for target in $targets; do
  log=$logs/$target.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  finding="keiner"
  case " $failed " in
    *" $target "*) finding="FEHLER: $(grep -m1 -E 'ERROR|check failed|Timeout|out-of-memory' "$log" || echo "siehe $log")" ;;
  esac
  printf '%-12s %12s %8s  %s\n' "$target" "${execs:-?}" "${cov:-?}" "$finding"
done
[ -z "$failed" ]
