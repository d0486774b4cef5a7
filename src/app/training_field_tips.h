#pragma once
// Chinese tooltips for the fields of the training dialogs: what each value
// means and the range it takes. The fields keep their labels (the values'
// own names); the tip goes on the label and on the field beside it.
#include <QString>

class QWidget;

// The tip for a field's label text ("MaxLearnCount:", "CullDraw."), empty
// when the label names no training value.
QString TrainingFieldTip(const QString& label);
// Sets the tips on every labelled field and check box of the dialog.
void AddTrainingFieldTips(QWidget* dialog);
