#!/usr/bin/env bash
# Perft node rates of tarvo-cli and Debian's fairy-stockfish on the start
# position, in the same run: tarvo-cli's own nodes/ms line against
# fairy-stockfish's node count over wall time (its start-up measured with a
# depth-1 perft and subtracted). Both count single-threaded.
#   bench/perft_vs_fairy.sh [DEPTH]      (default 5)
# TARVO_CLI and FAIRY_STOCKFISH override the program paths.
set -euo pipefail
cd "$(dirname "$0")/.."

depth="${1:-5}"
cli="${TARVO_CLI:-build/src/tarvo-cli}"
fairy="${FAIRY_STOCKFISH:-/usr/games/fairy-stockfish}"
[ -x "$cli" ] || { echo "no tarvo-cli at $cli (run scripts/build.sh)" >&2; exit 1; }
[ -x "$fairy" ] || { echo "no fairy-stockfish at $fairy (apt-get install fairy-stockfish)" >&2; exit 1; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# fairy-stockfish: prints "Nodes searched: N" when the perft is done.
fairy_perft() {
  printf 'setoption name UCI_Variant value xiangqi\nposition startpos\ngo perft %s\nquit\n' "$1" |
    "$fairy" | sed -n 's/^Nodes searched: \([0-9]*\).*/\1/p'
}

ours_line=$("$cli" perft "$depth" | tail -n 1)
ours_nodes=$(sed 's/.*nodes=\([0-9]*\).*/\1/' <<<"$ours_line")
ours_ms=$(sed 's/.*ms=\([0-9]*\).*/\1/' <<<"$ours_line")
ours_nps=$(sed 's/.*nps=\([0-9]*\).*/\1/' <<<"$ours_line")

start=$(now_ms); fairy_perft 1 >/dev/null; overhead=$(( $(now_ms) - start ))
start=$(now_ms); fairy_nodes=$(fairy_perft "$depth"); fairy_ms=$(( $(now_ms) - start - overhead ))
[ "$fairy_ms" -gt 0 ] || fairy_ms=1
fairy_nps=$(( fairy_nodes * 1000 / fairy_ms ))

echo "depth $depth, start position"
echo "tarvo-cli:       nodes=$ours_nodes ms=$ours_ms nps=$ours_nps"
echo "fairy-stockfish: nodes=$fairy_nodes ms=$fairy_ms nps=$fairy_nps (start-up ${overhead} ms not counted)"
[ "$ours_nodes" = "$fairy_nodes" ] || echo "WARNING: node counts differ"
awk -v a="$ours_nps" -v b="$fairy_nps" 'BEGIN { printf "ratio tarvo/fairy = %.2f\n", a / b }'
