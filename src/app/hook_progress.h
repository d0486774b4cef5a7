#pragma once
// Turns what the record check and the game training report through their
// hooks into a CJobProgress, for the desktop's status bar. Once these jobs
// report through CJobControl themselves, their progress is used as it comes.
#include "jobs/job.h"

struct CCheckedFileReport;
struct CTrainingGameReport;

// One more file checked: it becomes the current file, and its result is
// counted from red's side.
void AddCheckedFile(CJobProgress& progress, const CCheckedFileReport& report);
// One more training game: the count follows its index, and its result is
// counted from the trained side, which plays red in the even games.
void AddTrainingGame(CJobProgress& progress, const CTrainingGameReport& report);
