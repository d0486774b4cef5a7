#!/usr/bin/env bash
# Perft node rates of tarvo-cli and Debian's fairy-stockfish on the start
# position, in the same run. Both perft single-threaded; each rate is nodes
# over the CPU time (user + system) of its process, so a busy machine skews
# neither, with fairy-stockfish's start-up (a depth-1 perft) subtracted.
# tarvo-cli's own wall-clock line is shown as well.
#   bench/perft_vs_fairy.sh [DEPTH]      (default 5)
# TARVO_CLI and FAIRY_STOCKFISH override the program paths.
set -euo pipefail
cd "$(dirname "$0")/.."

depth="${1:-5}"
cli="${TARVO_CLI:-build/src/tarvo-cli}"
fairy="${FAIRY_STOCKFISH:-/usr/games/fairy-stockfish}"
[ -x "$cli" ] || { echo "no tarvo-cli at $cli (run scripts/build.sh)" >&2; exit 1; }
[ -x "$fairy" ] || { echo "no fairy-stockfish at $fairy (apt-get install fairy-stockfish)" >&2; exit 1; }

# CPU milliseconds (user + system) of a command, its output to the file named first.
cpu_ms() {
  local out="$1"; shift
  local TIMEFORMAT='%3U %3S'
  local times
  times=$( { time "$@" >"$out"; } 2>&1 )
  awk '{ printf "%d\n", ($1 + $2) * 1000 }' <<<"$times"
}

# fairy-stockfish: prints "Nodes searched: N" when the perft is done.
fairy_perft() {
  printf 'setoption name UCI_Variant value xiangqi\nposition startpos\ngo perft %s\nquit\n' "$1" | "$fairy"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ours_ms=$(cpu_ms "$tmp/ours" "$cli" perft "$depth")
ours_line=$(tail -n 1 "$tmp/ours")
ours_nodes=$(sed 's/.*nodes=\([0-9]*\).*/\1/' <<<"$ours_line")

overhead=$(cpu_ms "$tmp/fairy1" fairy_perft 1)
fairy_ms=$(( $(cpu_ms "$tmp/fairy" fairy_perft "$depth") - overhead ))
fairy_nodes=$(sed -n 's/^Nodes searched: \([0-9]*\).*/\1/p' "$tmp/fairy")
[ "$ours_ms" -gt 0 ] || ours_ms=1
[ "$fairy_ms" -gt 0 ] || fairy_ms=1
ours_nps=$(( ours_nodes * 1000 / ours_ms ))
fairy_nps=$(( fairy_nodes * 1000 / fairy_ms ))

echo "depth $depth, start position, rates over CPU time"
echo "tarvo-cli:       nodes=$ours_nodes cpu_ms=$ours_ms nps=$ours_nps   (own line: $ours_line)"
echo "fairy-stockfish: nodes=$fairy_nodes cpu_ms=$fairy_ms nps=$fairy_nps   (start-up ${overhead} ms not counted)"
[ "$ours_nodes" = "$fairy_nodes" ] || echo "WARNING: node counts differ"
awk -v a="$ours_nps" -v b="$fairy_nps" 'BEGIN { printf "ratio tarvo/fairy = %.2f\n", a / b }'
