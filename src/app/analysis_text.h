#pragma once
// How the analysis dock words the engine's findings: scores in pawns from
// red's side, mates as the winner and the moves to it, lines in Chinese
// notation, and the search's pace.
#include <QString>

#include "jobs/position_analysis.h"

// "+1.25", "-0.40", "0.00"; a mate "红方5步杀" or "黑方3步杀".
QString AnalysisScoreText(const CAnalysisLine& line);
// The line's moves in Chinese notation from the analysed position.
QString AnalysisMovesText(const CPosition& position, int redToMove, const CAnalysisLine& line);
// "深度 12  速度 850千节点/秒  用时 3.2秒".
QString AnalysisPaceText(const CAnalysisReport& report);
