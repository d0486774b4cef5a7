#!/usr/bin/env bash
# Search speed of two builds side by side: runs `tarvo-cli bench` of OLD and
# NEW alternately, ROUNDS times each (so both see the same machine load), and
# prints each model's node rate per build (each search timed at its fastest
# round) and the ratio NEW / OLD. The node
# totals of the two builds are compared too: a faster search must search the
# same tree.
# Usage: bench/compare.sh OLD NEW [ROUNDS] [DEPTH]
#   OLD, NEW: two tarvo-cli executables. ROUNDS defaults to 5, DEPTH to 6.
set -euo pipefail
if [[ $# -lt 2 || "${1:-}" == "--help" || "${1:-}" == "-h" ]]; then
  sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
  [[ $# -ge 2 ]] && exit 0 || exit 2
fi
old="$1"
new="$2"
rounds="${3:-5}"
depth="${4:-6}"
for cli in "$old" "$new"; do
  [[ -x "$cli" ]] || { echo "compare.sh: $cli is not an executable" >&2; exit 2; }
done
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

for ((round = 1; round <= rounds; ++round)); do
  # Alternate which build goes first, so neither always runs on a cooler machine.
  if ((round % 2)); then order=(old new); else order=(new old); fi
  for which in "${order[@]}"; do
    cli="$old"
    [[ "$which" == new ]] && cli="$new"
    "$cli" bench "$depth" > "$out/$which.$round"
  done
  echo "round $round of $rounds done" >&2
done

# Per build and model: nodes, and the milliseconds of each search taken at
# its fastest round (the least disturbed by other work on the machine).
summarise() {
  cat "$out/$1".* | awk -v build="$1" '
    / eval=/ {
      for (i = 1; i <= NF; ++i) {
        split($i, kv, "=")
        if (kv[1] == "eval") model[$1] = kv[2]
        if (kv[1] == "nodes") nodes[$1] = kv[2]
        if (kv[1] == "ms" && (!($1 in best) || kv[2] < best[$1])) best[$1] = kv[2]
      }
    }
    /^nodes=/ { split($1, kv, "="); signature = kv[2] }
    END {
      for (i in model) { n[model[i]] += nodes[i]; t[model[i]] += best[i] }
      for (m in n) printf "%s %s %d %d\n", build, m, n[m], t[m]
      printf "%s signature %d 0\n", build, signature
    }'
}
{ summarise old; summarise new; } | awk -v rounds="$rounds" '
  { nodes[$1 " " $2] = $3; ms[$1 " " $2] = $4; if ($2 != "signature") models[$2] = 1 }
  END {
    printf "%-8s %14s %14s %8s\n", "model", "old nodes/s", "new nodes/s", "ratio"
    for (m in models) {
      o = nodes["old " m] * 1000 / ms["old " m]
      n = nodes["new " m] * 1000 / ms["new " m]
      printf "%-8s %14d %14d %8.3f\n", m, o, n, n / o
    }
    printf "node totals per run: old %d, new %d%s\n", nodes["old signature"], nodes["new signature"],
           nodes["old signature"] == nodes["new signature"] ? " (same)" : " (DIFFERENT)"
  }'
