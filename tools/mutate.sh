#!/usr/bin/env bash
# Measures what the tests catch: applies the faults of tools/mutate/faults.txt to a source
# tree one at a time, rebuilds only the test programs the fault concerns, runs them, puts the
# file back, and says for each fault whether a test caught it.
#
#   tools/mutate.sh TREE BUILD [ID...]
#
# TREE is a checkout of this project (never the tree you work in: its files are changed while
# the tool runs), BUILD its build directory (configured here when it is empty: plain g++,
# RelWithDebInfo, no benchmarks). With IDs only those faults are tried. MUTATE_TIMEOUT sets
# the seconds one test program may take under a fault (default 300); MUTATE_FAULTS another
# fault list. The report goes to stdout and to BUILD/mutate-report.txt.
#
# Each line of the fault list is: ID <tab> FILE <tab> ORIGINAL <tab> REPLACEMENT <tab> TESTS
# ORIGINAL must occur exactly once in FILE; TESTS names test programs by folder (game app
# platform ...), optionally with a GoogleTest filter after a colon (platform:Iff*).
set -u
tree=${1:?usage: mutate.sh TREE BUILD [ID...]}
build=${2:?usage: mutate.sh TREE BUILD [ID...]}
shift 2
tree=$(cd "$tree" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
faults=${MUTATE_FAULTS:-$here/mutate/faults.txt}
timeout_s=${MUTATE_TIMEOUT:-300}
want=" $* "

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=gcc CXX=g++ cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOKER_BENCH=OFF >/dev/null ||
        { echo "cannot configure $build" >&2; exit 2; }
fi
build=$(cd "$build" && pwd)
report=$build/mutate-report.txt
log=$build/mutate-log
mkdir -p "$log"
: >"$report"

say() { printf '%s\n' "$*" | tee -a "$report"; }

# Replaces the one occurrence of $2 by $3 in file $1; exit 3 when it is not there exactly once.
apply() {
    python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2], sys.argv[3]
text = open(path, encoding="latin-1").read()
if text.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="latin-1").write(text.replace(old, new))
PY
}

# Every test program of the list, built first so that the faults start from a clean build.
programs=$(cut -f5 "$faults" | grep -v '^#' | tr ' ' '\n' | cut -d: -f1 | sort -u | grep -v '^$')
targets=$(for p in $programs; do printf 'test_%s ' "$p"; done)
cmake --build "$build" -j2 --target $targets >"$log/initial.txt" 2>&1 ||
    { echo "the unchanged tree does not build; see $log/initial.txt" >&2; exit 2; }

# Runs test program $1 with GoogleTest filter $2, its output to file $3; the exit status is
# the program's (124 for a time-out). A temporary folder of its own: tests name files in it,
# and other runs of the same tests on this machine must not meet them there.
run_tests() {
    rm -rf "$build/mutate-tmp" && mkdir -p "$build/mutate-tmp"
    { (cd "$build/tests" && WB_DISPLAY=virtual POKER_BINARY_DIR="$build" ASAN_OPTIONS=detect_leaks=0 \
        TEST_TMPDIR="$build/mutate-tmp/" TMPDIR="$build/mutate-tmp" \
        timeout "$timeout_s" "./test_$1" --gtest_brief=1 --gtest_filter="$2") >"$3" 2>&1; } 2>/dev/null
}

# Every test must pass without a fault, here as under one: a test that fails anyway would
# count every fault as caught.
for p in $programs; do
    run_tests "$p" "*" "$log/unchanged.$p.txt" ||
        { echo "test_$p fails on the unchanged tree; see $log/unchanged.$p.txt" >&2; exit 2; }
done

tried=0 caught=0 uncaught=0 notapplied=0 nocompile=0
# A fault left in the tree by an interruption is put back.
src=""
restore() { [ -n "$src" ] && [ -f "$build/mutate-original" ] && cat "$build/mutate-original" >"$src"; }
trap 'restore; exit 130' INT TERM
while IFS=$'\t' read -r -u 3 id file original replacement tests; do
    case "$id" in ''|'#'*) continue ;; esac
    [ "$want" = "  " ] || [[ "$want" == *" $id "* ]] || continue
    src=$tree/$file
    if [ ! -f "$src" ]; then
        say "$id NOT-APPLIED ($file is gone)"; notapplied=$((notapplied + 1)); continue
    fi
    cp "$src" "$build/mutate-original"
    if ! apply "$src" "$original" "$replacement"; then
        say "$id NOT-APPLIED (the text is not in $file exactly once)"; notapplied=$((notapplied + 1)); continue
    fi
    targets=$(for t in $tests; do printf 'test_%s ' "${t%%:*}"; done)
    if ! cmake --build "$build" -j2 --target $targets >"$log/$id.build.txt" 2>&1; then
        say "$id NO-COMPILE"; nocompile=$((nocompile + 1))
    else
        tried=$((tried + 1))
        by=""
        for t in $tests; do
            prog=${t%%:*}
            filter="*"
            [ "$t" != "$prog" ] && filter=${t#*:}
            out="$log/$id.$prog.txt"
            run_tests "$prog" "$filter" "$out"
            rc=$?
            if [ $rc -ne 0 ]; then
                failed=$(grep -o '^\[  FAILED  \] [A-Za-z0-9_/.]*' "$out" | sed 's/^\[  FAILED  \] //' | sort -u |
                         head -n 4 | paste -sd, -)
                [ $rc -eq 124 ] && failed="timeout"
                [ -z "$failed" ] && failed="exit $rc"
                by="$by $prog($failed)"
            fi
        done
        if [ -n "$by" ]; then
            say "$id CAUGHT by$by"; caught=$((caught + 1))
        else
            say "$id UNCAUGHT ($file: $original)"; uncaught=$((uncaught + 1))
        fi
    fi
    # A fresh time stamp, so that the next build compiles the restored file again.
    cat "$build/mutate-original" >"$src"
    src=""
done 3<"$faults"

# Leave the build as the tree is.
cmake --build "$build" -j2 --target $(for p in $programs; do printf 'test_%s ' "$p"; done) >"$log/final.txt" 2>&1
say "caught $caught of $tried tried; $uncaught uncaught, $notapplied not applied, $nocompile not compiled"
[ $uncaught -eq 0 ]
