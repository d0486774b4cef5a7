#!/usr/bin/env bash
# Makes the knowledge the program ships with, using only its own workbench and
# a game collection (by default the master games in data/games):
#   data/book/book.tab       the opening book
#   data/ann/eval000.ann     the trained evaluation network
#   data/knowledge.txt       the settings and figures of the run that made them
#   data/learning_curve.tsv  the network's score after every training round
#   docs/learning_curve.png  the same as a picture (when gnuplot is installed)
#
# Steps (each prints its progress; a finished step is kept in the work folder
# and skipped when the script is run again, so an interrupted run resumes;
# --fresh starts over):
#   1. build tarvo-cli into build-knowledge/
#   2. import the collection's games as one PGN file per game
#   3. complete every record with the outside engine playing both sides from
#      where the game stopped (the records carry no result); NPROC checks run
#      side by side
#   4. build the opening book from the completed records
#   5. self-play: the piece-value model plays itself from random openings
#      (tarvo-cli selfplay), SELFPLAY_GAMES games
#   6. rounds: every round turns the new games into samples whose targets
#      blend the result with the piece-value model's search score
#      (tarvo-cli samples --search-depth --score-weight); trains the network on all samples so far
#      (shuffled, mini-batches on every core, Adam steps, falling learning
#      rate); plays it against the piece-value model from varied openings
#      (the learning curve); then the network plays the piece-value model
#      for ROUND_GAMES new games, so the next round learns the positions
#      the network itself steers into
#   7. measure the last network on ROUND_GAMES games too, keep the round's
#      network that scored best over those many games, draw the curve
#
# Usage: scripts/make-knowledge.sh [--fresh] [--skip-book] [--work DIR] [--out DIR] [GAMES]
#   GAMES        the game collection, moves in ICCS form, that the book is made
#                from (default data/games/master_games_1125.pgn)
#   --fresh      start over instead of resuming in the work folder
#   --skip-book  leave out steps 2-4: take the book already in the out folder
#   --work DIR   the work folder (default build-knowledge/work)
#   --out DIR    where the book, network and knowledge.txt go (default data)
# Environment:
#   ENGINE          the outside engine that completes the records
#                   (default /usr/games/fairy-stockfish)
#   CHECK_MOVETIME  its thinking time a move, ms (default 40)
#   SELFPLAY_GAMES  self-play games of step 5 (default 6000)
#   SELFPLAY_DEPTH  their search depth (default 3)
#   ROUNDS          training rounds (default 3)
#   ROUND_GAMES     network-against-piece-values games added each round (default 2000)
#   SCORE_DEPTH     depth of the search that gives the targets (default 3)
#   SCORE_WEIGHT    the score's share of the target (default 0.8)
#   LEAF            1: sample the leaves of the searches' lines (TD-leaf), not
#                   the positions themselves (default 0: it played worse)
#   PASSES          training passes a round (default 4)
#   ALPHA, ALPHA_END  Adam's step at the round's first and last pass (default 0.01, 0.001)
#   BATCH           positions a mini-batch (default 32)
#   CURVE_GAMES     match games a round for the curve (default 20)
#   CURVE_MOVETIME  their thinking time a move, ms (default 100)
# Steps 5-7 take about half an hour on two cores (self-play 5 minutes, each
# round 4 to 6); the record check of step 3 adds about 40 minutes.
# Any exit, a failing step or a stop, ends every program the script started.
set -euo pipefail
usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; }
die() { echo "make-knowledge.sh: $*" >&2; exit 2; }

# Paths given are taken from where the script was called.
work=""
out=""
games_file=""
fresh=0
skip_book=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --fresh) fresh=1 ;;
    --skip-book) skip_book=1 ;;
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
selfplay_games="${SELFPLAY_GAMES:-6000}"
selfplay_depth="${SELFPLAY_DEPTH:-3}"
rounds="${ROUNDS:-3}"
round_games="${ROUND_GAMES:-2000}"
score_depth="${SCORE_DEPTH:-3}"
score_weight="${SCORE_WEIGHT:-0.8}"
leaf_flag=()
[[ "${LEAF:-0}" == 1 ]] && leaf_flag=(--leaf)
passes="${PASSES:-4}"
alpha="${ALPHA:-0.01}"
alpha_end="${ALPHA_END:-0.001}"
batch="${BATCH:-32}"
curve_games="${CURVE_GAMES:-20}"
curve_movetime="${CURVE_MOVETIME:-100}"
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

say "1/7 building tarvo-cli"
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

if ((skip_book)); then
  [[ -f "$out/book/book.tab" ]] || die "--skip-book needs a book in $out/book/book.tab"
  mkdir -p "$TARVO_HOME/book"
  cp "$out/book/book.tab" "$TARVO_HOME/book/book.tab"
else
if ! done_step import; then
  say "2/7 importing the master games"
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
  say "3/7 completing the records with fairy-stockfish, $check_movetime ms a move, $jobs at a time"
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
  say "4/7 building the opening book from the completed records"
  "$cli" book build "$work/games"
  "$cli" book probe | head -5
  mark_step book
fi

fi
# The network starts from nothing: the program makes a fresh random one.
rm -f "$TARVO_HOME/ann/eval000.ann"
mkdir -p "$work/candidates" "$work/curve"

# Games of the first round: the piece-value model against itself.
if ! done_step selfplay; then
  say "5/7 self-play: $selfplay_games games, piece values on both sides, depth $selfplay_depth"
  "$cli" selfplay "$work/selfplay/round1" --games "$selfplay_games" --a-depth "$selfplay_depth" \
    --b-depth "$selfplay_depth" --seed 1 --threads "$jobs" | tail -1
  mark_step selfplay
fi

# Samples of one folder of games, NPROC runs side by side over parts of it.
make_samples() {
  local games="$1" part i=0 f pids=()
  rm -rf "$games.parts"
  for f in "$games"/*.pgn; do
    mkdir -p "$games.parts/part$((i % jobs))"
    ln -s "$f" "$games.parts/part$((i % jobs))/"
    i=$((i + 1))
  done
  for part in "$games.parts"/part*; do
    "$cli" samples "$part" --search-depth "$score_depth" --score-weight "$score_weight" "${leaf_flag[@]}" \
      > "$part.samples.txt" 2>&1 &
    pids+=($!)
  done
  for _ in "${pids[@]}"; do wait -n; done
  cat "$games.parts"/part*.samples.txt | awk -F'[ =]' '/^files=/ { g += $4; s += $8 } END { printf "%d games, %d positions\n", g, s }'
}

# The match of the curve: this round's network against the piece-value
# model (tarvo-cli itself under UCCI) in a data folder of its own, NPROC
# matches side by side, each with openings of its own seed.
curve_match() {
  local round="$1" home="$work/curve/round$1" k pids=()
  rm -rf "$home"
  for ((k = 0; k < jobs; ++k)); do
    mkdir -p "$home/$k/ann" "$home/$k/book"
    cp "$work/candidates/round$round.ann" "$home/$k/ann/eval000.ann"
    cp "$TARVO_HOME/book/book.tab" "$home/$k/book/book.tab"
    mkdir -p "$home/$k/rand"
    cp "$TARVO_HOME/rand/rand.has" "$home/$k/rand/rand.has"
    TARVO_HOME="$home/$k" "$cli" match --engine "$cli ucci" --engine-option evalmodel=default \
      --eval ann --games $(( (curve_games + jobs - 1) / jobs )) --movetime "$curve_movetime" \
      --random-plies 8 --seed $((100 + k)) > "$home/$k.txt" 2>&1 &
    pids+=($!)
  done
  for _ in "${pids[@]}"; do wait -n; done
  # Points for the network: 1 a win, 1/2 a draw, out of the games.
  cat "$home"/*.txt | awk -F'[= ]' '/^wins=/ { w += $2; d += $4; l += $6 }
    END { printf "%d %d %d %.1f\n", w, d, l, 100 * (w + d / 2) / (w + d + l) }'
}

for ((round = 1; round <= rounds; ++round)); do
  if ! done_step "round$round"; then
    games="$work/selfplay/round$round"
    if ((round > 1)) && [[ ! -f "$games.done" ]]; then
      say "6/7 round $round: the network plays the piece-value model, $round_games games"
      cp "$work/candidates/round$((round - 1)).ann" "$TARVO_HOME/ann/eval000.ann"
      "$cli" selfplay "$games" --games "$round_games" --a-eval ann --a-depth "$selfplay_depth" \
        --b-depth "$selfplay_depth" --seed "$round" --threads "$jobs" | tail -1 | tee "$games.txt"
      touch "$games.done"
    fi
    if [[ ! -f "$games.samples.done" ]]; then
      say "6/7 round $round: samples, search depth $score_depth, score weight $score_weight${leaf_flag[*]:+, leaves}"
      make_samples "$games" | tee "$games.samples.txt"
      touch "$games.samples.done"
    fi
    say "6/7 round $round: training, $passes passes over all samples"
    # Every round goes on from the last one's network.
    ((round > 1)) && cp "$work/candidates/round$((round - 1)).ann" "$TARVO_HOME/ann/eval000.ann"
    "$cli" train --max-learn "$passes" --auto-save "$passes" --adam --alpha "$alpha" --alpha-end "$alpha_end" \
      --batch "$batch" --threads "$jobs" --shuffle --shuffle-seed "$round" --lambda 0 | tail -2
    cp "$TARVO_HOME/eval000.ann" "$work/candidates/round$round.ann"
    say "6/7 round $round: $curve_games games against the piece-value model, $curve_movetime ms a move"
    read -r w d l pct < <(curve_match "$round")
    # The sample positions so far, and the positions learned in all rounds
    # (every round makes its passes over all of them).
    pool=$(cat "$work/selfplay"/round*.samples.txt | awk '{ p += $3 } END { print p }')
    learned=$((pool * passes))
    ((round > 1)) && learned=$((learned + $(cut -f3 "$work/curve/round$((round - 1)).tsv")))
    printf '%d\t%d\t%d\t%d\t%d\t%d\t%s\n' "$round" "$pool" "$learned" "$w" "$d" "$l" "$pct" \
      > "$work/curve/round$round.tsv"
    say "round $round: +$w =$d -$l, $pct% against the piece-value model"
    mark_step "round$round"
  fi
done

# Each round's network is measured again on many more games: the games the
# next round learns from are its games against the piece-value model at
# depth $selfplay_depth; the last round's are played for this alone.
final="$work/selfplay/after$rounds"
if [[ ! -f "$final.done" ]]; then
  say "7/7 the last network plays the piece-value model, $round_games games (measure only)"
  cp "$work/candidates/round$rounds.ann" "$TARVO_HOME/ann/eval000.ann"
  "$cli" selfplay "$final" --games "$round_games" --a-eval ann --a-depth "$selfplay_depth" \
    --b-depth "$selfplay_depth" --seed $((rounds + 1)) --threads "$jobs" | tail -1 > "$final.txt"
  touch "$final.done"
fi
# The percentage of the points the network took in a selfplay summary line.
selfplay_score() {
  awk '{ for (i = 1; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] } }
       END { printf "%d\t%d\t%d\t%.1f\n", v["a_wins"], v["draws"], v["a_losses"],
             100 * (v["a_wins"] + v["draws"] / 2) / (v["a_wins"] + v["draws"] + v["a_losses"]) }' "$1"
}
# The best network by the many games wins; between equal scores the later round.
best=1
best_pct=-1
for ((round = 1; round <= rounds; ++round)); do
  measured="$work/selfplay/round$((round + 1)).txt"
  ((round == rounds)) && measured="$final.txt"
  selfplay_score "$measured" > "$work/curve/round$round.selfplay.tsv"
  pct=$(cut -f4 "$work/curve/round$round.selfplay.tsv")
  if awk -v a="$pct" -v b="$best_pct" 'BEGIN { exit !(a >= b) }'; then best=$round; best_pct=$pct; fi
done
say "7/7 keeping the network of round $best ($best_pct% of $round_games games at depth $selfplay_depth)"

# The book and network being replaced are listed as shipped before: a data
# folder's unchanged copy of them then follows the new files.
remember_shipped() {  # NAME, relative to data/
  [[ -f "$out/$1" ]] || return 0
  local digest
  digest=$(sha256sum "$out/$1" | cut -d' ' -f1)
  grep -qx "$digest  $1" "$out/shipped-before.sha256" 2> /dev/null ||
    echo "$digest  $1" >> "$out/shipped-before.sha256"
}
remember_shipped book/book.tab
remember_shipped ann/eval000.ann
mkdir -p "$out/book" "$out/ann"
cp "$TARVO_HOME/book/book.tab" "$out/book/book.tab"
# The training settings of this run stay out of the shipped file: its
# parameter lines go back to a new network's presets, so training it further
# starts from the usual values. The weights are as trained.
sed -e 's/^MaxLearnCount=.*/MaxLearnCount=10000000/' -e 's/^AutoSaveCount=.*/AutoSaveCount=1/' \
    -e 's/^Alpha =.*/Alpha =1.000000e-02/' -e 's/^Lambda=.*/Lambda=9.000000e-01/' \
    -e 's/^ThreadCount=.*/ThreadCount=1/' \
    "$work/candidates/round$best.ann" > "$out/ann/eval000.ann"
{
  printf 'round\tsample_positions\tpositions_learned\twins\tdraws\tlosses\tscore_pct'
  printf '\tdepth_wins\tdepth_draws\tdepth_losses\tdepth_score_pct\n'
  for ((round = 1; round <= rounds; ++round)); do
    paste "$work/curve/round$round.tsv" "$work/curve/round$round.selfplay.tsv"
  done
} > "$out/learning_curve.tsv"
if command -v gnuplot > /dev/null; then
  gnuplot <<PLOT
set terminal pngcairo size 800,480 font "sans,11"
set output "$repo/docs/learning_curve.png"
set title "The network against the piece-value model (varied openings)"
set xlabel "positions learned (millions)"
set ylabel "score of the network (%)"
set yrange [0:100]
set grid
set key top left
plot "$out/learning_curve.tsv" using (\$3/1e6):7 with linespoints lw 2 pt 7 title "$curve_games games, $curve_movetime ms a move", \\
     "" using (\$3/1e6):11 with linespoints lw 2 pt 5 title "$round_games games, depth $selfplay_depth", \\
     50 with lines dt 2 lc rgb "gray" title "even"
PLOT
else
  say "gnuplot is not installed: docs/learning_curve.png was not drawn (apt-get install gnuplot-nox)"
fi
finished=$(date +%s)
{
  echo "Made by scripts/make-knowledge.sh, finished $(date -u -d "@$finished" '+%Y-%m-%d %H:%M UTC'), source $(cat "$work/source"), $(( (finished - started) / 60 )) minutes from the first step to the last on $jobs cores."
  if ((skip_book)); then
    echo "Book: the one already in $out/book (--skip-book)."
  else
    echo "Games: $(basename "$games_file") (imported with 'tarvo-cli pgn import-iccs')."
    echo "Records completed by $("$engine" <<< quit | head -1) playing both sides at $check_movetime ms a move ('tarvo-cli check'):"
    echo "  $(cat "$work/check-summary.txt")"
    echo "Book: 'tarvo-cli book build' with its preset weights (won 3, draw 1, loss -1, minimum 4)."
    echo "  $(grep -a 'BookNodeCount' "$TARVO_HOME/creating.txt" | tail -1 | sed 's/^ *//')"
  fi
  echo "Network, from a fresh random one:"
  echo "  round 1 games: 'tarvo-cli selfplay --games $selfplay_games --a-depth $selfplay_depth --b-depth $selfplay_depth' (piece values on both sides, 8 random opening plies);"
  echo "  later rounds add 'tarvo-cli selfplay --games $round_games --a-eval ann' (the last round's network against piece values);"
  echo "  samples: 'tarvo-cli samples --search-depth $score_depth --score-weight $score_weight${leaf_flag[*]:+ --leaf}';"
  echo "  each round: 'tarvo-cli train --max-learn $passes --adam --alpha $alpha --alpha-end $alpha_end --batch $batch --threads $jobs --shuffle --lambda 0' over all samples so far."
  echo "Curve ('tarvo-cli match --random-plies 8' against 'tarvo-cli ucci' with evalmodel=default, $curve_games games a round, $curve_movetime ms a move; and the $round_games games of 'tarvo-cli selfplay --a-eval ann' at depth $selfplay_depth, varied openings):"
  while IFS=$'\t' read -r round sp learned w d l pct dw dd dl dpct; do
    [[ "$round" == round ]] && continue
    echo "  round $round: $sp sample positions, $learned learned; +$w =$d -$l, $pct%; at depth $selfplay_depth +$dw =$dd -$dl, $dpct%"
  done < "$out/learning_curve.tsv"
  echo "Kept: the network of round $best, its parameter lines set back to the presets (MaxLearnCount 10000000, AutoSaveCount 1, ThreadCount 1, Alpha 0.01, Lambda 0.9)."
} > "$out/knowledge.txt"
cat "$out/knowledge.txt" >&2
say "done: $out/book/book.tab, $out/ann/eval000.ann, $out/knowledge.txt, $out/learning_curve.tsv"
