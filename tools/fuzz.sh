#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer: tools/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is data_file, preferences, timeline_file or version_reply. The target is built with clang (installed from
# Debian when missing) in build-fuzz/, with AddressSanitizer and UndefinedBehaviorSanitizer. The committed seed
# corpus (fuzz/corpus/TARGET) is copied into build-fuzz/corpus/TARGET, where the inputs the fuzzer finds
# are kept between runs; a crashing input is written to build-fuzz/artifacts/. Add a crashing input to the
# committed corpus once it is mended: the test suite replays every corpus file.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
    echo "usage: tools/fuzz.sh data_file|preferences|timeline_file|version_reply SECONDS [libFuzzer options...]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
case "$target" in
data_file | preferences | timeline_file | version_reply) ;;
*)
    echo "tools/fuzz.sh: unknown target '$target' (data_file, preferences, timeline_file or version_reply)" >&2
    exit 2
    ;;
esac

# clang and its libFuzzer runtime, for this build only: the project's own set-up does not need them.
missing=()
for package in clang-14 libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing for the fuzz build: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The project's own packages and build, of this one target; no tests or benchmarks.
KELVARA_BUILD_TARGETS="fuzz_$target" tools/setup.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_FUZZ=ON -DKELVARA_TESTS=OFF -DKELVARA_BENCH=OFF

corpus=build-fuzz/corpus/$target
mkdir -p "$corpus" build-fuzz/artifacts
cp -n fuzz/corpus/"$target"/* "$corpus"/
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -artifact_prefix=build-fuzz/artifacts/ \
    -print_final_stats=1 "$@" "$corpus"
