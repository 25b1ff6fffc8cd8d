#!/bin/sh
# Fuzzes the drive model decoders with libFuzzer under AddressSanitizer and UBSan (clang).
# Usage: scripts/fuzz-decoders.sh [RUNS] [WORKDIR]   (default 1000000 runs, a fresh temp folder)
# Seeds: every model text of the golden table. Exits non-zero on any finding.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
work=${2:-$(mktemp -d /tmp/bw-decode-fuzz.XXXXXX)}
mkdir -p "$work/corpus"

sources="ModHDDetails SpecComposition modWesternDigital modSeagate modSamsung ModHitachi modMaxtor
         modFujitsu ModZEUS"
files=""
for s in $sources; do files="$files $here/src/drives/$s.cpp"; done

clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$here/src" $files "$here/tests/drives/fuzz/decode_fuzzer.cpp" -o "$work/decode_fuzzer"

# One seed file per golden model text (the first cell of each row).
n=0
grep -v '^#' "$here/tests/golden/models.tsv" | cut -f1 | while IFS= read -r model; do
    n=$((n + 1))
    printf '%s' "$model" > "$work/corpus/seed$n"
done

cd "$work"
./decode_fuzzer -runs="$runs" -max_len=600 -seed=1 -print_final_stats=1 corpus
echo "fuzz-decoders: $runs runs, no findings (work folder $work)"
