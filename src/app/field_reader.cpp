#include "app/field_reader.h"

#include <QFile>
#include <QLineEdit>
#include <cmath>

#include "app/message_box.h"

namespace {
bool Refuse(QWidget* dialog, QLineEdit* box, const QString& message) {
  ShowMessage(dialog, message);
  box->setFocus();
  box->selectAll();
  return false;
}
}  // namespace

bool ReadIntField(QWidget* dialog, QLineEdit* box, const QString& label, int32_t& value) {
  bool ok = false;
  const int number = box->text().trimmed().toInt(&ok, 10);
  if (!ok) return Refuse(dialog, box, QStringLiteral("%1 请输入一个整数.").arg(label));
  value = number;
  return true;
}

bool ReadInt64Field(QWidget* dialog, QLineEdit* box, const QString& label, int64_t& value) {
  bool ok = false;
  const qlonglong number = box->text().trimmed().toLongLong(&ok, 10);
  if (!ok) return Refuse(dialog, box, QStringLiteral("%1 请输入一个整数.").arg(label));
  value = number;
  return true;
}

bool ReadFloatField(QWidget* dialog, QLineEdit* box, const QString& label, float& value) {
  bool ok = false;
  const float number = box->text().trimmed().toFloat(&ok);
  if (!ok || !std::isfinite(number)) return Refuse(dialog, box, QStringLiteral("%1 请输入一个数.").arg(label));
  value = number;
  return true;
}

std::string LocalPathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromLocalPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
