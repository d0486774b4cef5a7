#pragma once
// Chinese tooltips for the fields of the training dialogs: what each value
// means and the range it takes. The fields keep their labels (the values'
// own names); the tip goes on the label and on the field beside it. The
// ranges are read from the limits the job checks its settings against, so a
// tip never promises a value the job refuses.
#include <QString>

class QWidget;
struct CSettingRange;

enum class CTrainingJob { Batch, Game };

// The tip for a field's label text ("MaxLearnCount:", "CullDraw.") in the
// dialog of that job, empty when the label names no training value.
QString TrainingFieldTip(CTrainingJob job, const QString& label);
// " 范围: 1 到 64.": the end of a tip, the range the job takes.
QString SettingRangeTip(const CSettingRange& range);
// Sets the tips on every labelled field and check box of the dialog.
void AddTrainingFieldTips(QWidget* dialog, CTrainingJob job);
