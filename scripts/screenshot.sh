#!/usr/bin/env bash
# Makes docs/screenshot.png (the main window in the middle of a game),
# docs/batch_training.png (the batch-training dialog after a few passes),
# docs/analysis.png (the analysis dock over a master game's position) and
# docs/review.png (the window after a review of that game), drawn
# on Qt's offscreen platform (no display needed). BUILD_DIR picks the build.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
if [ ! -d "$build" ]; then
  scripts/build.sh
fi
cmake --build "$build" --target tarvo
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
# A fresh data folder: the board pictures come from beside the program.
mkdir -p docs
TARVO_HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
  "$build/src/app/tarvo" --screenshot docs/screenshot.png
# The batch-training dialog with its plot, after a few passes over the master games.
TARVO_HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
  "$build/src/app/tarvo" --screenshot-training "$PWD/tests/data/games/" docs/batch_training.png
# The analysis and the review of a master game.
TARVO_HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
  "$build/src/app/tarvo" --screenshot-analysis "$PWD/tests/data/games/game01.pgn" docs/analysis.png
TARVO_HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
  "$build/src/app/tarvo" --screenshot-review "$PWD/tests/data/games/game01.pgn" docs/review.png
echo "docs/screenshot.png docs/batch_training.png docs/analysis.png docs/review.png"
