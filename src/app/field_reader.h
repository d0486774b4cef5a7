#pragma once
// Reading the number fields of the tool dialogs: a field that is not a
// number shows the standard message naming it, takes the focus and makes
// the caller keep the dialog open.
#include <QString>
#include <cstdint>

class QLineEdit;
class QWidget;

bool ReadIntField(QWidget* dialog, QLineEdit* box, const QString& label, int32_t& value);
bool ReadFloatField(QWidget* dialog, QLineEdit* box, const QString& label, float& value);
// A whole number too large for 32 bits (a seed).
bool ReadInt64Field(QWidget* dialog, QLineEdit* box, const QString& label, int64_t& value);
// Local file-name bytes of a folder text, and back.
std::string LocalPathOf(const QString& path);
QString FromLocalPath(const std::string& path);
