#include "app/analysis_text.h"

#include <cstdlib>

#include "common/text_encoding.h"
#include "engine/principal_line.h"

QString AnalysisScoreText(const CAnalysisLine& line) {
  if (line.Mate) {
    const QString winner = line.RedCentipawns > 0 ? QStringLiteral("红方") : QStringLiteral("黑方");
    return QStringLiteral("%1%2步杀").arg(winner).arg(line.MateMoves);
  }
  const int cp = line.RedCentipawns;
  const QString sign = cp > 0 ? QStringLiteral("+") : cp < 0 ? QStringLiteral("-") : QString();
  const int magnitude = std::abs(cp);
  return QStringLiteral("%1%2.%3").arg(sign).arg(magnitude / 100).arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString AnalysisMovesText(const CPosition& position, int redToMove, const CAnalysisLine& line) {
  return QString::fromStdString(Gb2312ToUtf8(LineNotation(position, redToMove, line.Moves)));
}

QString AnalysisPaceText(const CAnalysisReport& report) {
  const unsigned long long kilo = report.NodesPerSecond / 1000;
  return QStringLiteral("深度 %1  速度 %2千节点/秒  用时 %3秒")
      .arg(report.Depth)
      .arg(kilo)
      .arg(QString::number(report.ElapsedMs / 1000.0, 'f', 1));
}
