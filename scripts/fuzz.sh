#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a bounded time, starting
# from the seed corpus in tests/fuzz-corpus/. Installs clang and its fuzzer runtime when missing.
# Usage: scripts/fuzz.sh [build folder] [seconds per target] [targets, space-separated]
# JOBS sets the build's parallel jobs (all cores by default); FUZZ_RUNS, when set, also stops each
# target after that many executions.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-fuzz}
seconds=${2:-60}
all_targets="fuzz_hook_request fuzz_loose_mapping fuzz_calculator fuzz_calendar_file"
targets=${3:-}
if [ -z "${targets// /}" ]; then
    targets=$all_targets
fi
for target in $targets; do
    case " $all_targets " in
    *" $target "*) ;;
    *)
        echo "fuzz: unknown target $target (known: $all_targets)" >&2
        exit 2
        ;;
    esac
done
jobs=${JOBS:-$(nproc)}
runs=()
if [ -n "${FUZZ_RUNS:-}" ]; then
    runs=(-runs="$FUZZ_RUNS")
fi

bash scripts/install-deps.sh
missing=()
for p in clang libclang-rt-14-dev; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "fuzz: installing ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        SUDO="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S fuzz -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
# shellcheck disable=SC2086 # one argument per target
cmake --build "$build_dir" -j "$jobs" --target $targets

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in $targets; do
    seeds=tests/fuzz-corpus/${target#fuzz_}
    corpus=$build_dir/corpus/${target#fuzz_}
    # A calculator line is short; longer inputs only slow the search down.
    max_len=70000
    if [ "$target" = fuzz_calculator ]; then
        max_len=1024
    fi
    mkdir -p "$corpus" "$build_dir/artifacts"
    echo "fuzz: $target for $seconds s"
    "$build_dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
        -artifact_prefix="$build_dir/artifacts/$target-" -print_final_stats=1 "${runs[@]}" "$corpus" "$seeds"
done
echo "fuzz: no crash"
