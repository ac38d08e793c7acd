#!/bin/sh
# Builds one libFuzzer target of the packer with clang and runs it for a bounded time.
#   run_fuzz.sh CLANG LIBRARY_DIR FUZZ_DIR TARGET WORK_DIR
# FAULTBK_FUZZ_SECONDS sets the length of the run (15 s unless given); the corpus in
# WORK_DIR/TARGET.corpus is kept, so every run starts where the last one ended.
set -eu
clang=$1 library=$2 fuzz=$3 target=$4 work=$5
seconds=${FAULTBK_FUZZ_SECONDS:-15}
mkdir -p "$work/$target.corpus"
"$clang" -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$library" -I"$fuzz/.." "$library/blkpack.c" "$fuzz/${target}_fuzz.c" -o "$work/${target}_fuzz"
corpus=$work/$target.corpus
if [ -z "$(ls -A "$corpus")" ]; then
  # A few records to start from: literals, a run, a copy, a stored block.
  printf '\006\000abcdef' >"$corpus/literals"
  printf '\003\000\374x\377' >"$corpus/run"
  printf '\017\000abcdefghijkl\375\124\000' >"$corpus/copy"
  printf '\375\377xyz' >"$corpus/stored"
fi
cd "$work"
exec "./${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 "$corpus"
