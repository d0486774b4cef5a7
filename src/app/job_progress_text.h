#pragma once
// The status-bar wording of a running tool job and of its end, from the
// job's CJobProgress.
#include <QString>

#include "jobs/job.h"

// How one job's progress is worded.
struct CJobWording {
  QString Name;  // "棋谱检查"
  QString Unit;  // "个文件", "局"
  QString Win, Loss;  // the two decisive results, from the side the job counts for
  QString Place;      // where the counted items are ("文件夹中"), when the count says so
};

CJobWording RecordCheckWording();
CJobWording GameTrainingWording();
CJobWording BookBuildWording();
// The games in the output folder, A's results.
CJobWording SelfPlayWording();

// "棋谱检查: 已完成 3/10 个文件, 红胜 1 和 1 黑胜 1, 当前 a.pgn"; the
// total, the results and the current item only when known.
QString ProgressText(const CJobWording& wording, const CJobProgress& progress);
// "棋谱检查结束: 共 10 个文件, 红胜 3 和 5 黑胜 2" ("已中断" after a stop,
// "失败" after a failure); "自对弈结束: 文件夹中共 2 局, ..." with a place.
QString SummaryText(const CJobWording& wording, const CJobProgress& progress, bool stopped, bool failed);
