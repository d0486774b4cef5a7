#include "app/job_progress_text.h"

CJobWording RecordCheckWording() {
  return {QStringLiteral("棋谱检查"), QStringLiteral("个文件"), QStringLiteral("红胜"), QStringLiteral("黑胜"), {}};
}

CJobWording GameTrainingWording() {
  return {QStringLiteral("对局训练"), QStringLiteral("局"), QStringLiteral("胜"), QStringLiteral("负"), {}};
}

CJobWording BookBuildWording() { return {QStringLiteral("创建开局库"), QStringLiteral("局"), {}, {}, {}}; }

CJobWording SelfPlayWording() {
  return {QStringLiteral("自对弈"), QStringLiteral("局"), QStringLiteral("A 胜"), QStringLiteral("负"), QStringLiteral("文件夹中")};
}

namespace {

QString Results(const CJobWording& wording, const CJobProgress& progress) {
  return QStringLiteral("%1 %2 和 %3 %4 %5")
      .arg(wording.Win)
      .arg(progress.Wins)
      .arg(progress.Draws)
      .arg(wording.Loss)
      .arg(progress.Losses);
}

}  // namespace

QString ProgressText(const CJobWording& wording, const CJobProgress& progress) {
  QString count = QString::number(progress.Done);
  if (progress.Total > 0) count += QStringLiteral("/%1").arg(progress.Total);
  QString text = QStringLiteral("%1: %2已完成 %3 %4").arg(wording.Name, wording.Place, count, wording.Unit);
  if (progress.Wins + progress.Draws + progress.Losses > 0) text += QStringLiteral(", ") + Results(wording, progress);
  if (!progress.Current.empty()) text += QStringLiteral(", 当前 ") + QString::fromStdString(progress.Current);
  return text;
}

QString SummaryText(const CJobWording& wording, const CJobProgress& progress, bool stopped, bool failed) {
  const QString how = failed ? QStringLiteral("失败") : stopped ? QStringLiteral("已中断") : QStringLiteral("结束");
  return QStringLiteral("%1%2: %3共 %4 %5, %6")
      .arg(wording.Name, how, wording.Place, QString::number(progress.Done), wording.Unit, Results(wording, progress));
}
