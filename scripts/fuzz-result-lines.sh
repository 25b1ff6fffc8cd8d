#!/bin/sh
# Fuzzes the result-line reader with libFuzzer under AddressSanitizer and UBSan (clang).
# Usage: scripts/fuzz-result-lines.sh [RUNS] [WORKDIR]   (default 1000000 runs, a fresh temp folder)
# Seeds: every result line of the report golden files, whole golden result files, and a few
# hostile shapes. Exits non-zero on any finding.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
work=${2:-$(mktemp -d /tmp/bw-result-fuzz.XXXXXX)}
mkdir -p "$work/corpus"

# The parser needs the lenient number reading of the settings store and what it links.
files="results/ResultLine.cpp core/INIReadWrite.cpp core/cINI.cpp core/private_profile.cpp
       core/profile_text.cpp platform/SettingsFile.cpp"
srcs=""
for f in $files; do srcs="$srcs $here/src/$f"; done

clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$here/src" $srcs "$here/tests/results/fuzz/result_line_fuzzer.cpp" -o "$work/result_line_fuzzer"

n=0
for golden in "$here"/tests/golden/report/*.txt; do
    grep -a ' Read S:' "$golden" | while IFS= read -r line; do
        n=$((n + 1))
        printf '%s' "$line" > "$work/corpus/$(basename "$golden" .txt)-line$n"
    done
    cp "$golden" "$work/corpus/$(basename "$golden" .txt)-whole"
done
printf 'X [T] (4KB) PEAK Read S:1e999 M1:nan M2:0x10 M3:' > "$work/corpus/hostile1"
printf 'Average\r\nPeak\r\ntorn PEAK Re' > "$work/corpus/hostile2"

cd "$work"
./result_line_fuzzer -runs="$runs" -max_len=4096 -seed=1 -print_final_stats=1 corpus
echo "fuzz-result-lines: $runs runs, no findings (work folder $work)"
