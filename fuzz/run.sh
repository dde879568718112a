#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60), one after another,
# starting from the seed corpus and the kept regression inputs. New corpus
# entries and any crash, leak or hang go under build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
for t in statefile besttimes settings picture; do
  work=build-fuzz/corpus-$t
  mkdir -p "$work" build-fuzz/artifacts
  echo "== fuzz_$t for ${SECONDS_EACH}s"
  LSAN_OPTIONS=suppressions=tests/lsan.supp:print_suppressions=0 ./build-fuzz/fuzz_$t "$work" fuzz/corpus/$t fuzz/regressions/$t \
    -max_total_time="$SECONDS_EACH" -timeout=10 -max_len=24000 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/$t- 2>&1 | grep -E "^#|Done|stat::|ERROR|SUMMARY|artifact" | tail -n 12
done
