#include "app/setting_refusal.h"

#include <QLineEdit>
#include <QWidget>

#include "app/job_messages.h"
#include "app/message_box.h"

bool AcceptOrRefuse(QWidget* dialog, const CJobError& error, const std::vector<CSettingField>& fields) {
  if (!error) return true;
  CJobError shown = error;
  QWidget* field = nullptr;
  for (const CSettingField& entry : fields) {
    if (entry.Setting != error.Setting) continue;
    field = entry.Field;
    if (!entry.Label.isEmpty()) shown.Setting = entry.Label.toStdString();
  }
  ShowMessage(dialog, ChineseMessage(shown));
  if (field) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  }
  return false;
}
