#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60), one after another,
# starting from the seed corpus and the kept regression inputs. New corpus
# entries and any crash, leak or hang go under build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
for t in statefile besttimes settings picture; do
  # A picture may cost 1.2 times its size and 600 MB at most (HEIF): the
  # target's 4-megapixel pictures stay within 1 GB, or it is a finding.
  limits=()
  [ "$t" = picture ] && limits=(-rss_limit_mb=1024 -malloc_limit_mb=1024)
  work=build-fuzz/corpus-$t
  mkdir -p "$work" build-fuzz/artifacts
  echo "== fuzz_$t for ${SECONDS_EACH}s"
  LSAN_OPTIONS=suppressions=tests/lsan.supp:print_suppressions=0 ./build-fuzz/fuzz_$t "$work" fuzz/corpus/$t fuzz/regressions/$t \
    -max_total_time="$SECONDS_EACH" -timeout=10 -max_len=24000 -print_final_stats=1 "${limits[@]}" \
    -artifact_prefix=build-fuzz/artifacts/$t- 2>&1 | grep -E "^#|Done|stat::|ERROR|SUMMARY|artifact" | tail -n 12
done
