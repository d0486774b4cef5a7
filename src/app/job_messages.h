#pragma once
// The desktop program's Chinese wording of a job's refusal or failure.
#include <QString>

#include "jobs/job.h"

// "MaxLearnCount 必须在 1 到 10000000 之间 (现为 -1)."; empty for no error.
QString ChineseMessage(const CJobError& error);
