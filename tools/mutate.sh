#!/usr/bin/env bash
# Measures what the tests catch: applies the faults of tools/mutate/faults.txt to a source
# tree one at a time, rebuilds and runs every test program that links the changed file (or
# uses a program that does), puts the file back, and says for each fault which tests caught it.
#
#   tools/mutate.sh TREE BUILD [ID...]
#
# TREE is a checkout of this project (never the tree you work in: its files are changed while
# the tool runs), BUILD its build directory (configured here when it is empty: plain g++,
# RelWithDebInfo, no benchmarks). With IDs only those faults are tried. MUTATE_TIMEOUT sets
# the seconds one test program may take under a fault (default 300); MUTATE_FAULTS another
# fault list; MUTATE_SKIP names test programs to leave out (e.g. "odds"), said in the report.
# The report goes to stdout and to BUILD/mutate-report.txt; each program's output under a
# fault to BUILD/mutate-log/ID.PROGRAM.txt.
#
# Each line of the fault list is: ID <tab> FILE <tab> ORIGINAL <tab> REPLACEMENT
# ORIGINAL must occur exactly once in FILE, or nothing is run at all. The test programs are
# the test_* programs ctest runs (build/tests/test_*); a fault concerns those that link its
# file, or whose build depends on a program that does (the tools they start, the card sheet
# maker), read from the programs' debug information. A fault in a header concerns the
# programs that link a file including it.
#
# Exit status: 0 when every fault was caught, 1 when one was not (or did not apply or
# compile), 2 when nothing could be tried (a fault that no longer applies, a build or a
# test that fails on the unchanged tree).
set -u
tree=${1:?usage: mutate.sh TREE BUILD [ID...]}
build=${2:?usage: mutate.sh TREE BUILD [ID...]}
shift 2
tree=$(cd "$tree" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
faults=${MUTATE_FAULTS:-$here/mutate/faults.txt}
timeout_s=${MUTATE_TIMEOUT:-300}
skip=" ${MUTATE_SKIP:-} "
want=" $* "

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

# Every chosen fault must still apply before anything is built: a fault that silently stopped
# applying would drop out of the measure. Prints each one that does not, and any unknown ID.
check_faults() {
    python3 - "$faults" "$tree" "$@" <<'PY'
import os, sys
faults, tree, wanted = sys.argv[1], sys.argv[2], set(sys.argv[3:])
bad, seen = [], set()
for n, line in enumerate(open(faults, encoding="latin-1"), 1):
    line = line.rstrip("\n")
    if not line or line.startswith("#"):
        continue
    fields = line.split("\t")
    if len(fields) != 4:
        bad.append(f"line {n}: {len(fields)} fields, not 4 (ID FILE ORIGINAL REPLACEMENT)")
        continue
    fid, file, original = fields[0], fields[1], fields[2]
    seen.add(fid)
    if wanted and fid not in wanted:
        continue
    path = os.path.join(tree, file)
    if not os.path.isfile(path):
        bad.append(f"{fid}: {file} is gone")
        continue
    count = open(path, encoding="latin-1").read().count(original)
    if count != 1:
        bad.append(f"{fid}: the text occurs {count} times in {file}, not once")
for fid in sorted(wanted - seen):
    bad.append(f"{fid}: no such fault")
print("\n".join(bad))
sys.exit(1 if bad else 0)
PY
}
if ! problems=$(check_faults "$@"); then
    printf 'faults that do not apply (nothing was run):\n%s\n' "$problems" >&2
    exit 2
fi

# Configured (again) with a request for CMake's model of the build: which programs each test
# program's build depends on.
mkdir -p "$build/.cmake/api/v1/query" && : >"$build/.cmake/api/v1/query/codemodel-v2"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOKER_BENCH=OFF)
[ -f "$build/CMakeCache.txt" ] && options=()
CC=gcc CXX=g++ cmake -S "$tree" -B "$build" "${options[@]}" >/dev/null ||
    { echo "cannot configure $build" >&2; exit 2; }
build=$(cd "$build" && pwd)
report=$build/mutate-report.txt
log=$build/mutate-log
rm -rf "$log" && mkdir -p "$log"
: >"$report"

say() { printf '%s\n' "$*" | tee -a "$report"; }

# The test programs: the programs named test_* that ctest runs (its list names them before
# they are built), less MUTATE_SKIP.
programs=$(grep -ho '^add_test([^ ]* "[^"]*/tests/test_[a-z_]*"' "$build/tests/CTestTestfile.cmake" |
           sed 's|.*/tests/test_\([a-z_]*\)"$|\1|' | sort -u)
programs=$(for p in $programs; do [[ "$skip" == *" $p "* ]] || printf '%s ' "$p"; done)
[ -n "$programs" ] || { echo "no test programs in $build" >&2; exit 2; }
[ "$skip" = "  " ] || say "left out (MUTATE_SKIP):$skip"
targets() { for p in "$@"; do printf 'test_%s ' "$p"; done; }

# Every test program built first, so that the faults start from a clean build.
cmake --build "$build" -j2 --target $(targets $programs) >"$log/initial.txt" 2>&1 ||
    { echo "the unchanged tree does not build; see $log/initial.txt" >&2; exit 2; }

# The executables that test program $1 uses: itself and every program its build depends on
# (the tools it starts, the card sheet maker whose sheet it reads), from CMake's model.
executables_of() {
    python3 - "$build" "test_$1" <<'PY'
import glob, json, os, sys
build, name = sys.argv[1], sys.argv[2]
reply = os.path.join(build, ".cmake/api/v1/reply")
index = json.load(open(max(glob.glob(os.path.join(reply, "index-*.json")))))
model = json.load(open(os.path.join(reply, index["reply"]["codemodel-v2"]["jsonFile"])))
targets = {}
for t in model["configurations"][0]["targets"]:
    targets[t["id"]] = json.load(open(os.path.join(reply, t["jsonFile"])))
todo = [i for i, t in targets.items() if t["name"] == name]
seen = set()
while todo:
    i = todo.pop()
    if i in seen:
        continue
    seen.add(i)
    todo += [d["id"] for d in targets[i].get("dependencies", [])]
    if targets[i]["type"] == "EXECUTABLE":
        for a in targets[i].get("artifacts", []):
            print(os.path.join(build, a["path"]))
PY
}

# The source files of each program and of the programs it uses, as the compiler named them in
# their debug information, relative to the tree: links.PROGRAM, one a line.
for p in $programs; do
    for exe in $(executables_of "$p"); do
        readelf --debug-dump=info --dwarf-depth=1 "$exe" 2>/dev/null |
            awk '/DW_TAG_compile_unit/ { unit = 1 } unit && /DW_AT_name/ { print $NF; unit = 0 }'
    done | sed -n "s|^$tree/||p" | sort -u >"$log/links.$p"
    [ -s "$log/links.$p" ] || { echo "test_$p has no debug information naming $tree" >&2; exit 2; }
done

# The source files that compile $1: itself, or for a header every file whose dependency list
# (the compiler's .d file beside each object) names it; the first name of such a list is the
# source file.
sources_of() {
    case "$1" in
        *.c | *.cc | *.cpp) echo "$1"; return ;;
    esac
    grep -rlF --include='*.o.d' "$tree/$1" "$build" | while read -r deps; do
        awk '{ for (i = 1; i <= NF; i++) if ($i != "\\" && $i !~ /:$/) { print $i; exit } }' "$deps"
    done | sed -n "s|^$tree/||p" | sort -u
}

# The test programs that link file $1.
programs_of() {
    local sources p
    sources=$(sources_of "$1")
    [ -n "$sources" ] || return 0
    for p in $programs; do
        grep -qxF "$sources" "$log/links.$p" && printf '%s ' "$p"
    done
}

# Runs test program $1, its output to file $2 and its exit status to $2.rc (124 for a
# time-out). A temporary folder of its own: tests name files in it, and the other program
# running beside it, or other runs of the same tests on this machine, must not meet them there.
run_tests() {
    local tmp="$build/mutate-tmp/$1"
    rm -rf "$tmp" && mkdir -p "$tmp"
    { (cd "$build/tests" && WB_DISPLAY=virtual POKER_BINARY_DIR="$build" ASAN_OPTIONS=detect_leaks=0 \
        TEST_TMPDIR="$tmp/" TMPDIR="$tmp" timeout "$timeout_s" "./test_$1") >"$2" 2>&1; } 2>/dev/null
    echo $? >"$2.rc"
}

# Runs the programs $2... under fault $1, two at a time (the machine's two cores); the
# programs share nothing but the build, which they only read.
run_all() {
    local id=$1 p
    shift
    for p in "$@"; do
        run_tests "$p" "$log/$id.$p.txt" &
        [ "$(jobs -rp | wc -l)" -lt 2 ] || wait -n
    done
    wait
}

# What program $1 says in its output $2 with exit status $3: every test that failed, and the
# test that was running when it crashed or ran out of time (its [ RUN ] line without an
# [ OK ], [ FAILED ] or [ SKIPPED ] after it). Empty when it passed.
verdict() {
    local prog=$1 out=$2 rc=$3 names running why=""
    [ "$rc" -eq 0 ] && return
    names=$(grep -o '^\[  FAILED  \] [A-Za-z_][A-Za-z0-9_/.]*' "$out" | sed 's/^\[  FAILED  \] //' | sort -u)
    # A parameterised test's FAILED line says ", where GetParam() = ..." after its name.
    running=$(awk '{ name = $4; sub(/,$/, "", name) }
                   /^\[ RUN      \] / { t = name }
                   /^\[       OK \] |^\[  FAILED  \] |^\[  SKIPPED \] / { if (name == t) t = "" }
                   END { print t }' "$out")
    # GoogleTest's own verdict, failed tests and exit status 1, needs no more words.
    if [ "$rc" -eq 124 ]; then why="timed out after ${timeout_s} s"
    elif [ "$rc" -gt 128 ]; then why="crashed: signal $((rc - 128))"
    elif [ -n "$running" ] || [ -z "$names" ]; then why="exit $rc"
    fi
    [ -z "$why" ] || names=$(printf '%s\n%s' "$names" "${running:+$running }$why")
    printf '%s(%s)' "$prog" "$(printf '%s\n' "$names" | grep -v '^$' | paste -sd, - | sed 's/,/, /g')"
}

# Every test must pass without a fault, here as under one: a test that fails anyway would
# count every fault as caught.
run_all unchanged $programs
for p in $programs; do
    [ "$(cat "$log/unchanged.$p.txt.rc")" -eq 0 ] ||
        { echo "test_$p fails on the unchanged tree; see $log/unchanged.$p.txt" >&2; exit 2; }
done

tried=0 caught=0 uncaught=0 notapplied=0 nocompile=0
# A fault left in the tree by an interruption is put back.
src=""
restore() { [ -n "$src" ] && [ -f "$build/mutate-original" ] && cat "$build/mutate-original" >"$src"; }
trap 'restore; exit 130' INT TERM
while IFS=$'\t' read -r -u 3 id file original replacement; do
    case "$id" in ''|'#'*) continue ;; esac
    [ "$want" = "  " ] || [[ "$want" == *" $id "* ]] || continue
    src=$tree/$file
    # Checked once more: an earlier fault of the run must not have left its file changed.
    if [ ! -f "$src" ]; then
        say "$id NOT-APPLIED ($file is gone)"; notapplied=$((notapplied + 1)); src=""; continue
    fi
    cp "$src" "$build/mutate-original"
    if ! apply "$src" "$original" "$replacement"; then
        say "$id NOT-APPLIED (the text is not in $file exactly once)"; notapplied=$((notapplied + 1)); src=""; continue
    fi
    progs=$(programs_of "$file")
    if [ -z "$progs" ]; then
        say "$id UNCAUGHT (no test program links $file)"; uncaught=$((uncaught + 1))
    elif ! cmake --build "$build" -j2 --target $(targets $progs) >"$log/$id.build.txt" 2>&1; then
        say "$id NO-COMPILE"; nocompile=$((nocompile + 1))
    else
        tried=$((tried + 1))
        run_all "$id" $progs
        by=""
        for p in $progs; do
            found=$(verdict "$p" "$log/$id.$p.txt" "$(cat "$log/$id.$p.txt.rc")")
            [ -z "$found" ] || by="$by $found"
        done
        if [ -n "$by" ]; then
            say "$id CAUGHT by$by"; caught=$((caught + 1))
        else
            say "$id UNCAUGHT ($file: $original)"; uncaught=$((uncaught + 1))
        fi
    fi
    # Put back with a fresh time stamp: the next build of any program that links the file
    # compiles it again, so no program runs with an earlier fault left in it.
    cat "$build/mutate-original" >"$src"
    src=""
done 3<"$faults"

# Leave the build as the tree is.
cmake --build "$build" -j2 --target $(targets $programs) >"$log/final.txt" 2>&1
say "caught $caught of $tried tried; $uncaught uncaught, $notapplied not applied, $nocompile not compiled"
[ $uncaught -eq 0 ] && [ $notapplied -eq 0 ] && [ $nocompile -eq 0 ]
