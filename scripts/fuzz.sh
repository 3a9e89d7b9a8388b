#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a bounded time, starting
# from the seed corpus in tests/fuzz-corpus/. Installs clang and its fuzzer runtime when missing.
# Usage: scripts/fuzz.sh [build folder] [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-fuzz}
seconds=${2:-60}

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
cmake --build "$build_dir" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in fuzz_hook_request fuzz_loose_mapping; do
    seeds=tests/fuzz-corpus/${target#fuzz_}
    corpus=$build_dir/corpus/${target#fuzz_}
    mkdir -p "$corpus" "$build_dir/artifacts"
    echo "fuzz: $target for $seconds s"
    "$build_dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=70000 \
        -artifact_prefix="$build_dir/artifacts/$target-" -print_final_stats=1 "$corpus" "$seeds"
done
echo "fuzz: no crash"
