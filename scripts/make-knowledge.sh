#!/usr/bin/env bash
# Makes the knowledge the program ships with, using only its own workbench and
# a game collection (by default the master games in data/games):
#   data/book/book.tab    the opening book
#   data/ann/eval000.ann  the trained evaluation network
#   data/knowledge.txt    the settings and figures of the run that made them
#
# Steps (each prints its progress; a finished step is kept in the work folder
# and skipped when the script is run again, so an interrupted run resumes;
# --fresh starts over):
#   1. build tarvo-cli into build-knowledge/
#   2. import the collection's games as one PGN file per game
#   3. complete every record with the outside engine playing both sides from
#      where the game stopped (the records carry no result, so without this
#      every target would be a draw); NPROC checks run side by side
#   4. build the opening book from the completed records
#   5. turn the records into training samples and train the network in
#      rounds, keeping a candidate network after each round
#   6. play every candidate against the piece-value model in short matches
#      and keep the one that scores best (not simply the last one)
#
# Usage: scripts/make-knowledge.sh [--fresh] [--work DIR] [--out DIR] [GAMES]
#   GAMES       the game collection, moves in ICCS form, that the book and the
#               network are made from (default data/games/master_games_1125.pgn)
#   --fresh     start over instead of resuming in the work folder
#   --work DIR  the work folder (default build-knowledge/work)
#   --out DIR   where the book, network and knowledge.txt go (default data)
# Environment:
#   ENGINE          the outside engine that completes the records
#                   (default /usr/games/fairy-stockfish)
#   CHECK_MOVETIME  its thinking time a move, ms (default 40)
#   ROUNDS          training rounds (default 6)
#   PASSES          training passes a round (default 40)
#   ALPHA           learning rate (default 1)
#   LAMBDA          trace decay (default 0.9)
#   MIN_MOVE_COEFF  the share of each game's first moves left out of the
#                   samples (default 0.3)
#   PICK_GAMES      match games a candidate (default 8)
#   PICK_MOVETIME   match thinking time a move, ms (default 150)
# Any exit, a failing step or a stop, ends every program the script started.
set -euo pipefail
usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; }
die() { echo "make-knowledge.sh: $*" >&2; exit 2; }

# Paths given are taken from where the script was called.
work=""
out=""
games_file=""
fresh=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --fresh) fresh=1 ;;
    --work|--out)
      [[ $# -ge 2 && -n "$2" && "$2" != -* ]] || die "$1 needs a folder (see --help)"
      if [[ "$1" == --work ]]; then work="$(realpath -m -- "$2")"; else out="$(realpath -m -- "$2")"; fi
      shift ;;
    -h|--help) usage; exit 0 ;;
    -*) die "unknown argument '$1' (see --help)" ;;
    *) [[ -z "$games_file" ]] || die "one games file only, not also '$1' (see --help)"
       games_file="$(realpath -m -- "$1")" ;;
  esac
  shift
done

cd "$(dirname "$0")/.."
repo="$PWD"
work="${work:-$repo/build-knowledge/work}"
out="${out:-$repo/data}"
games_file="${games_file:-$repo/data/games/master_games_1125.pgn}"

check_movetime="${CHECK_MOVETIME:-40}"
rounds="${ROUNDS:-6}"
passes="${PASSES:-40}"
pick_games="${PICK_GAMES:-8}"
pick_movetime="${PICK_MOVETIME:-150}"
alpha="${ALPHA:-1}"
lambda="${LAMBDA:-0.9}"
min_move_coeff="${MIN_MOVE_COEFF:-0.3}"
jobs="$(nproc)"
engine="${ENGINE:-/usr/games/fairy-stockfish}"

say() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
done_step() { [[ -f "$work/$1.done" ]]; }
mark_step() { touch "$work/$1.done"; }

[[ -f "$games_file" ]] || { echo "make-knowledge.sh: $games_file is missing" >&2; exit 1; }
[[ -x "$engine" ]] || { echo "make-knowledge.sh: $engine is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
# Whatever ends the script (a failing step, a stop) ends what it started: the
# checks and matches running side by side and the programs they run. A
# stopped check leaves the game in hand as it was; the step is done again on
# the next run.
stop_children() {
  local pid
  for pid in $(jobs -p); do
    pkill -TERM -P "$pid" 2>/dev/null || true
    kill -TERM "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap stop_children EXIT
trap 'say "stopped: run the script again to go on from the last finished step"; exit 130' INT TERM
((fresh)) && rm -rf "$work"
mkdir -p "$work"
# The run's time counts from its first step, also when it was resumed.
[[ -f "$work/started" ]] || date +%s > "$work/started"
started="$(cat "$work/started")"
[[ -f "$work/source" ]] || git describe --always --dirty > "$work/source"

say "1/6 building tarvo-cli"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-knowledge -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_BUILD_APP=OFF \
  -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-knowledge -j"$jobs" --target tarvo-cli
cli="$repo/build-knowledge/src/tarvo-cli"
# This build must start from nothing: no shipped book or network beside it
# (the build puts the last shipped ones there) may seed the work folder.
rm -f build-knowledge/src/book/book.tab build-knowledge/src/ann/eval000.ann
# Every data file of the run lives in the work folder, never beside the program.
export TARVO_HOME="$work/home"
mkdir -p "$TARVO_HOME"

if ! done_step import; then
  say "2/6 importing the master games"
  rm -rf "$work/games"
  "$cli" pgn import-iccs "$games_file" "$work/games"
  # One folder per parallel check, the games dealt out in turn.
  i=0
  for f in "$work/games"/*.pgn; do
    mkdir -p "$work/games/part$((i % jobs))"
    mv "$f" "$work/games/part$((i % jobs))/"
    i=$((i + 1))
  done
  mark_step import
fi

if ! done_step check; then
  say "3/6 completing the records with fairy-stockfish, $check_movetime ms a move, $jobs at a time"
  # The logs stay out of the games' folder, where every file is read as a game.
  mkdir -p "$work/logs"
  pids=()
  for part in "$work/games"/part*; do
    name="$(basename "$part")"
    "$cli" check "$part" --engine "$engine" --movetime "$check_movetime" \
      > "$work/logs/$name.check.txt" 2> "$work/logs/$name.check.err" &
    pids+=($!)
  done
  # The first check to fail ends the script, and with it the others.
  for _ in "${pids[@]}"; do wait -n; done
  mark_step check
fi
cat "$work/logs"/part*.check.txt | awk '
  / -> / { n++; r[$NF]++ }
  END { printf "%d records: 1-0 %d, 0-1 %d, 1/2-1/2 %d, unfinished after 300 moves %d\n",
               n, r["1-0"], r["0-1"], r["1/2-1/2"], r["*"] }' \
  | tee "$work/check-summary.txt" >&2

if ! done_step book; then
  say "4/6 building the opening book from the completed records"
  "$cli" book build "$work/games"
  "$cli" book probe | head -5
  mark_step book
fi

if ! done_step samples; then
  say "5/6 turning the records into training samples"
  rm -rf "$TARVO_HOME/sample"
  "$cli" samples "$work/games" --min-move-coeff "$min_move_coeff"
  mark_step samples
fi

# Training in rounds, each round going on from the network the last one left.
# The first round starts from the fresh network the program makes itself.
mkdir -p "$work/candidates"
for ((round = 1; round <= rounds; ++round)); do
  done_step "train$round" && continue
  say "5/6 training round $round of $rounds, $passes passes"
  "$cli" train --max-learn "$passes" --auto-save "$passes" --alpha "$alpha" --lambda "$lambda"
  cp "$TARVO_HOME/eval000.ann" "$work/candidates/round$round.ann"
  cp "$TARVO_HOME/eval000.ann" "$TARVO_HOME/ann/eval000.ann"
  mark_step "train$round"
done

# Each candidate plays the piece-value model (tarvo-cli itself under UCCI) in
# a data folder of its own holding that network and the new book.
pick_one() {
  local round="$1" home="$work/pick/round$1"
  rm -rf "$home"
  mkdir -p "$home/ann" "$home/book"
  cp "$work/candidates/round$round.ann" "$home/ann/eval000.ann"
  cp "$TARVO_HOME/book/book.tab" "$home/book/book.tab"
  TARVO_HOME="$home" "$cli" match --engine "$cli ucci" --engine-option evalmodel=default \
    --eval ann --games "$pick_games" --movetime "$pick_movetime" > "$work/pick/round$round.txt" 2>&1
}
if ! done_step pick; then
  say "6/6 matches: every candidate against the piece-value model, $pick_games games at $pick_movetime ms a move"
  mkdir -p "$work/pick"
  running=0
  for ((round = 1; round <= rounds; ++round)); do
    pick_one "$round" &
    running=$((running + 1))
    if ((running >= jobs)); then wait -n; running=$((running - 1)); fi
  done
  wait
  mark_step pick
fi

# The best score wins (2 a win, 1 a draw); between equal scores the network
# that held out longest (most moves over its games), then the later one.
rank() {
  awk '/^game [0-9]+:/ { if (match($0, / in [0-9]+ moves/)) moves += substr($0, RSTART + 4, RLENGTH - 10) }
       /^wins=/ { split($0, f, /[= ]/); points = 2 * f[2] + f[4] }
       END { printf "%d %d\n", points, moves }' "$1"
}
best=0
best_key=-1
for ((round = 1; round <= rounds; ++round)); do
  read -r points moves < <(rank "$work/pick/round$round.txt")
  key=$((points * 1000000 + moves))
  say "round $round: $(grep '^wins=' "$work/pick/round$round.txt" | tail -1), $moves moves in all"
  if ((key >= best_key)); then best=$round; best_key=$key; fi
done
say "keeping the network of round $best"

mkdir -p "$out/book" "$out/ann"
cp "$TARVO_HOME/book/book.tab" "$out/book/book.tab"
# The training settings of this run stay out of the shipped file: its
# parameter lines go back to a new network's presets, so training it further
# starts from the usual values. The weights are as trained.
sed -e 's/^MaxLearnCount=.*/MaxLearnCount=10000000/' -e 's/^AutoSaveCount=.*/AutoSaveCount=1/' \
    -e 's/^Alpha =.*/Alpha =1.000000e-02/' -e 's/^Lambda=.*/Lambda=9.000000e-01/' \
    "$work/candidates/round$best.ann" > "$out/ann/eval000.ann"
{
  echo "Made by scripts/make-knowledge.sh, finished $(date -u -d "@$(stat -c %Y "$work/pick.done")" '+%Y-%m-%d %H:%M UTC'), source $(cat "$work/source"), $(( ($(stat -c %Y "$work/pick.done") - started) / 60 )) minutes from the first step to the last match on $jobs cores."
  echo "Games: $(basename "$games_file") (imported with 'tarvo-cli pgn import-iccs')."
  echo "Records completed by $("$engine" <<< quit | head -1) playing both sides at $check_movetime ms a move ('tarvo-cli check'):"
  echo "  $(cat "$work/check-summary.txt")"
  echo "Book: 'tarvo-cli book build' with its preset weights (won 3, draw 1, loss -1, minimum 4)."
  echo "  $(grep -a 'BookNodeCount' "$TARVO_HOME/creating.txt" | tail -1 | sed 's/^ *//')"
  echo "Network: 'tarvo-cli samples --min-move-coeff $min_move_coeff', then $rounds rounds of 'tarvo-cli train --max-learn $passes --alpha $alpha --lambda $lambda' from a fresh network."
  echo "Candidates against the piece-value model ('tarvo-cli match', $pick_games games, $pick_movetime ms a move; ranked by 2 x wins + draws, then by the moves they lasted):"
  for ((round = 1; round <= rounds; ++round)); do
    read -r points moves < <(rank "$work/pick/round$round.txt")
    echo "  round $round: $(grep '^wins=' "$work/pick/round$round.txt" | tail -1), $moves moves in all"
  done
  echo "Kept: the network of round $best, its parameter lines set back to the presets (MaxLearnCount 10000000, AutoSaveCount 1, Alpha 0.01, Lambda 0.9)."
} > "$out/knowledge.txt"
cat "$out/knowledge.txt" >&2
say "done: $out/book/book.tab, $out/ann/eval000.ann, $out/knowledge.txt"
