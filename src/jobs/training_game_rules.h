#pragma once
// Rules shared by both game-training runs: the capture-free count, the
// adjudication by material, the cull of drawn games and the file name of a
// saved game.
#include <string>

#include "record/game_record.h"
#include "rules/position.h"

// Moves at the end of the record since the last capture.
int QuietMoveCount(const CGameRecord& record);

// "1-0" when red has more than minDelta pieces more than black, "0-1" for the
// reverse, "1/2-1/2" otherwise.
std::string AdjudicateByMaterial(const CPosition& position, int minDelta);

// Whether a finished game with this result is left out under CullDraw: a
// draw, and also a game stopped undecided ("*") at the move limit, since it
// would be filed as a draw.
bool IsCulledDraw(int cullDraw, const std::string& result);

// RootDir + "case_<win|loss|draw>_<moves>_<local time>.pgn", win and loss
// seen from the side that is red when ourSideIsRed. When a file of that name
// exists already (two games ending in the same second), "_2", "_3"... is put
// before ".pgn" so no game is written over another.
std::string CaseFilePath(const std::string& rootDir, const std::string& result, bool ourSideIsRed, int moveCount);
