#pragma once
// Scores shared by the search and the evaluation, from the side to move's
// point of view.

constexpr int MATE_SCORE = 536870912;  // the side to move wins; no distance-to-mate
constexpr int NO_SCORE = 987654321;    // aborted search / no score
