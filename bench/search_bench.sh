#!/usr/bin/env bash
# Search speed: runs `tarvo-cli bench` (fixed positions, fixed depth, each
# evaluation model) and prints the node rate per model and the node signature.
# Usage: bench/search_bench.sh [DEPTH] [path/to/tarvo-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
depth="${1:-6}"
cli="${2:-build/src/tarvo-cli}"
out="$("$cli" bench "$depth")"
echo "$out"
echo "$out" | awk '
  / eval=/ {
    for (i = 1; i <= NF; ++i) {
      split($i, kv, "=")
      if (kv[1] == "eval") model = kv[2]
      if (kv[1] == "nodes") nodes[model] += kv[2]
      if (kv[1] == "ms") ms[model] += kv[2]
    }
  }
  /^nodes=/ { signature = $1 }
  END {
    for (m in nodes) printf "model %-8s nodes=%d ms=%d nps=%d\n", m, nodes[m], ms[m], ms[m] ? nodes[m] * 1000 / ms[m] : 0
    print "signature " signature
  }'
