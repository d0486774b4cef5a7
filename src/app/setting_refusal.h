#pragma once
// A job's refusal of a dialog's setting: worded in Chinese in a message box
// that names the setting as the dialog labels it, with the focus put on the
// field that holds it so the dialog stays open for a correction.
#include <QString>
#include <string>
#include <vector>

#include "jobs/job.h"

class QWidget;

struct CSettingField {
  std::string Setting;  // the job's name for the setting
  QWidget* Field;
  QString Label;        // the dialog's label when it differs from the name; else empty
};

// No error: true, nothing shown. Else the message, the focus, and false.
bool AcceptOrRefuse(QWidget* dialog, const CJobError& error, const std::vector<CSettingField>& fields);
