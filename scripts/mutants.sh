#!/usr/bin/env bash
# Planted-fault check of the test suite: plants each fault of scripts/mutants.txt
# in turn, rebuilds incrementally in a build directory of its own, runs the whole
# CTest suite and records which tests fail. A fault no test notices is MISSED.
#
#   scripts/mutants.sh [options] [id...]     (no id: every entry of the table)
#
# Options:
#   -b, --build-dir DIR   build directory (default: build-mutants in the checkout;
#                         never the checkout's build/)
#   -t, --timeout SEC     per-test timeout for ctest (default 120)
#   -j, --jobs N          parallel build and test jobs (default 2)
#   -f, --table FILE      fault table (default scripts/mutants.txt)
#       --no-baseline     skip the run without a fault (which otherwise leaves
#                         out the tests failing there, lest they claim every fault)
#   -l, --list            list the entries and whether each still applies
#   -h, --help
#
# The planted file is always restored, on failure and on Ctrl-C too. Should the
# script be killed outright, the next run restores it first (the original is kept
# in the build directory until then).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TABLE="$ROOT/scripts/mutants.txt"
BUILD_DIR="$ROOT/build-mutants"
TEST_TIMEOUT=120
JOBS=2
BASELINE=1
LIST_ONLY=0
SELECTED=()

usage() {
    sed -n '2,/^set -uo/p' "${BASH_SOURCE[0]}" | sed -e '$d' -e 's/^# \{0,1\}//'
}

while [ $# -gt 0 ]; do
    case "$1" in
    -b | --build-dir) BUILD_DIR="$2"; shift 2 ;;
    -t | --timeout) TEST_TIMEOUT="$2"; shift 2 ;;
    -j | --jobs) JOBS="$2"; shift 2 ;;
    -f | --table) TABLE="$2"; shift 2 ;;
    --no-baseline) BASELINE=0; shift ;;
    -l | --list) LIST_ONLY=1; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "mutants: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) SELECTED+=("$1"); shift ;;
    esac
done

command -v perl >/dev/null || { echo "mutants: perl is needed to plant faults" >&2; exit 2; }
[ -r "$TABLE" ] || { echo "mutants: no table at $TABLE" >&2; exit 2; }

BUILD_DIR="$(realpath -m "$BUILD_DIR")"
if [ "$BUILD_DIR" = "$(realpath -m "$ROOT/build")" ]; then
    echo "mutants: refusing to plant faults into the main build directory $BUILD_DIR" >&2
    exit 2
fi
STATE="$BUILD_DIR/mutants-state"
LOGS="$BUILD_DIR/mutants-logs"
mkdir -p "$STATE" "$LOGS"

# --- the table -------------------------------------------------------------

IDS=()
declare -A FILE ORIGINAL REPLACEMENT DESCRIPTION
line_no=0
while IFS= read -r line || [ -n "$line" ]; do
    line_no=$((line_no + 1))
    line="${line%$'\r'}"
    case "$line" in '' | '#'*) continue ;; esac
    # Split by hand: read would merge the tabs around an empty replacement.
    fields=()
    rest="$line"
    while [[ "$rest" == *$'\t'* ]]; do
        fields+=("${rest%%$'\t'*}")
        rest="${rest#*$'\t'}"
    done
    fields+=("$rest")
    if [ ${#fields[@]} -ne 5 ] || [ -z "${fields[0]}" ]; then
        echo "mutants: $TABLE:$line_no: expected 5 tab-separated fields, found ${#fields[@]}" >&2
        exit 2
    fi
    id="${fields[0]}"
    if [ -n "${FILE[$id]+set}" ]; then
        echo "mutants: $TABLE:$line_no: the id $id is used twice" >&2
        exit 2
    fi
    IDS+=("$id")
    FILE[$id]="${fields[1]}"
    ORIGINAL[$id]="${fields[2]}"
    REPLACEMENT[$id]="${fields[3]}"
    DESCRIPTION[$id]="${fields[4]}"
done <"$TABLE"

if [ ${#SELECTED[@]} -eq 0 ]; then
    SELECTED=("${IDS[@]}")
else
    for id in "${SELECTED[@]}"; do
        [ -n "${FILE[$id]+set}" ] || { echo "mutants: no entry $id in $TABLE" >&2; exit 2; }
    done
fi

# --- planting ----------------------------------------------------------------

# plant.pl count|plant FILE: ORIGINAL and REPLACEMENT come escaped (\n \t \\)
# in the environment. count prints how often the original occurs; plant
# replaces its only occurrence in place.
PLANT="$STATE/plant.pl"
cat >"$PLANT" <<'PERL'
use strict;
use warnings;
sub unescape {
    my ($text) = @_;
    my %map = (n => "\n", t => "\t", '\\' => '\\');
    $text =~ s/\\(.?)/exists $map{$1} ? $map{$1} : die "bad escape \\$1\n"/ge;
    return $text;
}
my ($mode, $file) = @ARGV;
my $original = unescape($ENV{MUTANT_ORIGINAL});
my $replacement = unescape($ENV{MUTANT_REPLACEMENT});
die "empty original\n" if $original eq '';
open(my $in, '<:raw', $file) or die "$file: $!\n";
my $text = do { local $/; <$in> };
close $in;
my $count = () = $text =~ /\Q$original\E/g;
if ($mode eq 'count') {
    print "$count\n";
    exit 0;
}
die "the original occurs $count times\n" unless $count == 1;
my $at = index($text, $original);
substr($text, $at, length($original)) = $replacement;
open(my $out, '+<:raw', $file) or die "$file: $!\n";
truncate($out, 0) or die "$file: $!\n";
print $out $text or die "$file: $!\n";
close $out or die "$file: $!\n";
PERL

occurrences() { # id -> count, or an error on stderr
    MUTANT_ORIGINAL="${ORIGINAL[$1]}" MUTANT_REPLACEMENT="${REPLACEMENT[$1]}" \
        perl "$PLANT" count "$ROOT/${FILE[$1]}"
}

plant() { # id
    MUTANT_ORIGINAL="${ORIGINAL[$1]}" MUTANT_REPLACEMENT="${REPLACEMENT[$1]}" \
        perl "$PLANT" plant "$ROOT/${FILE[$1]}"
}

# Restores the planted file, if any. The restored file is newer than the objects
# built from the fault, so the next build compiles it again.
restore() {
    [ -f "$STATE/planted" ] || return 0
    local path
    path="$(cat "$STATE/planted")"
    if cmp -s "$STATE/original" "$path"; then
        :
    elif cmp -s "$STATE/mutated" "$path"; then
        cat "$STATE/original" >"$path" || { echo "mutants: cannot restore $path" >&2; return 1; }
    else
        echo "mutants: $path changed while a fault was planted; left as it is." >&2
        echo "mutants: its original is $STATE/original" >&2
        return 1
    fi
    rm -f "$STATE/planted" "$STATE/original" "$STATE/mutated"
}

# A signal may arrive while a build's output goes to its log: the traps speak
# through copies of the script's own stdout and stderr.
exec 3>&1 4>&2
on_exit() {
    local status=$?
    restore >&3 2>&4 || status=1
    exit $status
}
trap on_exit EXIT
trap 'echo >&3; echo "mutants: interrupted" >&4; exit 130' INT TERM HUP

# A run killed outright left its fault behind: undo it before anything else.
if [ -f "$STATE/planted" ]; then
    echo "mutants: restoring $(cat "$STATE/planted") from an interrupted run"
    restore || exit 1
fi

if [ $LIST_ONLY -eq 1 ]; then
    for id in "${SELECTED[@]}"; do
        count="$(occurrences "$id" 2>&1)"
        [ "$count" = 1 ] && state=ok || state="STALE ($count)"
        printf '%-30s %-10s %s\n' "$id" "$state" "${DESCRIPTION[$id]}"
    done
    exit 0
fi

# --- building and testing ------------------------------------------------------

build() { # log
    {
        if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
            cmake -S "$ROOT" -B "$BUILD_DIR" || return 1
        fi
        cmake --build "$BUILD_DIR" --parallel "$JOBS"
    } >"$1" 2>&1
}

# Runs the suite; prints the failed tests, each with the QtTest functions that
# failed or the reason CTest gives (Timeout, SEGFAULT, ...). Empty: all passed.
run_suite() { # log
    # The suites carry a generous TIMEOUT of their own, which ctest's --timeout
    # does not override; a fault that hangs a test must not cost that long.
    find "$BUILD_DIR" -name CTestTestfile.cmake -exec \
        sed -i -E "s/ TIMEOUT \"[0-9.]+\"/ TIMEOUT \"$TEST_TIMEOUT\"/" {} +
    rm -f "$BUILD_DIR/Testing/Temporary/LastTestsFailed.log"
    (cd "$BUILD_DIR" &&
        QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$JOBS" \
            --timeout "$TEST_TIMEOUT" ${CTEST_ARGS[@]+"${CTEST_ARGS[@]}"}) >"$1" 2>&1
    awk '
        function flush() {
            if (test == "") return
            out = out (out == "" ? "" : ", ") test
            if (functions != "") out = out " (" functions ")"
            else if (reason != "" && reason != "Failed") out = out " (" reason ")"
        }
        # Blocks of --output-on-failure: the failing QtTest functions of each test.
        match($0, /Test +#[0-9]+: [^ ]+/) {
            name = substr($0, RSTART, RLENGTH); sub(/.*: /, "", name); current = name
        }
        /^FAIL!  : / && current != "" {
            f = $3; sub(/\(.*/, "", f); sub(/.*::/, "", f)
            if (index(" " seen[current] " ", " " f " ") == 0) {
                seen[current] = seen[current] " " f
                list[current] = list[current] (list[current] == "" ? "" : " ") f
            }
        }
        /^The following tests FAILED:/ { failed = 1; next }
        failed && match($0, /^[ \t]*[0-9]+ - [^ ]+ \(.*\)/) {
            line = $0; sub(/^[ \t]*[0-9]+ - /, "", line)
            test = line; sub(/ .*/, "", test)
            reason = line; sub(/^[^(]*\(/, "", reason); sub(/\)[^)]*$/, "", reason)
            functions = list[test]
            flush()
        }
        END { print out }
    ' "$1"
    # No failure listed and no pass either: ctest itself did not run.
    grep -q '^The following tests FAILED:\|tests passed, 0 tests failed' "$1" ||
        echo "ERROR: ctest did not run (see $1)"
}

CTEST_ARGS=()

# The working tree as found, to prove it is left so.
tree_state() {
    git -C "$ROOT" status --porcelain=v1 --untracked-files=all 2>/dev/null
    git -C "$ROOT" diff 2>/dev/null | cksum
}
TREE_BEFORE="$(tree_state)"

started=$SECONDS
echo "mutants: ${#SELECTED[@]} fault(s), build directory $BUILD_DIR"

if [ $BASELINE -eq 1 ]; then
    printf '%-30s ' "(no fault)"
    if ! build "$LOGS/baseline.build.log"; then
        echo "build failed"
        echo "mutants: the unchanged tree does not build; see $LOGS/baseline.build.log" >&2
        exit 1
    fi
    failed="$(run_suite "$LOGS/baseline.test.log")"
    if [[ "$failed" == ERROR* ]]; then
        echo "$failed" >&2
        exit 1
    elif [ -n "$failed" ]; then
        # A test that fails anyway would claim every fault: it sits the run out.
        echo "fails already: $failed"
        names="$(cut -d: -f2- "$BUILD_DIR/Testing/Temporary/LastTestsFailed.log" | paste -sd'|')"
        CTEST_ARGS=(-E "^($names)\$")
        echo "mutants: left out of this run: $names (see $LOGS/baseline.test.log)" >&2
    else
        echo "suite passes ($((SECONDS - started)) s)"
    fi
fi

declare -A RESULT
for id in "${SELECTED[@]}"; do
    t0=$SECONDS
    printf '%-30s ' "$id"
    path="$ROOT/${FILE[$id]}"
    if [ ! -f "$path" ]; then
        RESULT[$id]="STALE: no file ${FILE[$id]}"
        echo "${RESULT[$id]}"
        continue
    fi
    if ! count="$(occurrences "$id" 2>&1)"; then
        RESULT[$id]="ERROR in the entry: $count"
        echo "${RESULT[$id]}"
        continue
    fi
    if [ "$count" != 1 ]; then
        RESULT[$id]="STALE: the original occurs $count times in ${FILE[$id]}"
        echo "${RESULT[$id]}"
        continue
    fi

    cp "$path" "$STATE/original" && printf '%s\n' "$path" >"$STATE/planted" || exit 1
    if ! problem="$(plant "$id" 2>&1)"; then
        restore
        RESULT[$id]="ERROR planting: $problem"
        echo "${RESULT[$id]}"
        continue
    fi
    cp "$path" "$STATE/mutated"

    if ! build "$LOGS/$id.build.log"; then
        RESULT[$id]="BUILD ERROR (fix the entry; $LOGS/$id.build.log)"
    else
        failed="$(run_suite "$LOGS/$id.test.log")"
        RESULT[$id]="${failed:-MISSED}"
    fi
    restore || exit 1
    echo "${RESULT[$id]}  [$((SECONDS - t0)) s]"
done

# --- summary -----------------------------------------------------------------

{
    echo
    echo "description | caught by"
    echo "----------- | ---------"
    caught=0 missed=0 broken=0
    for id in "${SELECTED[@]}"; do
        echo "$id: ${DESCRIPTION[$id]} | ${RESULT[$id]}"
        case "${RESULT[$id]}" in
        MISSED) missed=$((missed + 1)) ;;
        STALE* | *ERROR*) broken=$((broken + 1)) ;;
        *) caught=$((caught + 1)) ;;
        esac
    done
    echo
    echo "$caught of ${#SELECTED[@]} faults caught, $missed missed, $broken stale or broken;" \
        "$((SECONDS - started)) s. Logs: $LOGS"
} | tee "$BUILD_DIR/mutants-results.txt"

restore || exit 1
if [ "$(tree_state)" != "$TREE_BEFORE" ]; then
    echo "mutants: the working tree differs from how it was found" >&2
    exit 1
fi
