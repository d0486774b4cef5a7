#include "app/message_box.h"

#include <QMessageBox>

namespace {
CMessageHook& Hook() {
  static CMessageHook hook;
  return hook;
}
}  // namespace

void SetMessageHook(CMessageHook hook) { Hook() = std::move(hook); }

CAnswer ShowMessage(QWidget* parent, const QString& text, CMessageKind kind) {
  return ShowMessageTitled(parent, QStringLiteral("Tarvo"), text, kind);
}

CAnswer ShowMessageTitled(QWidget* parent, const QString& title, const QString& text, CMessageKind kind) {
  if (Hook()) return Hook()(text, kind);
  switch (kind) {
    case CMessageKind::Information:
      QMessageBox::information(parent, title, text);
      break;
    case CMessageKind::Error:
      QMessageBox::critical(parent, title, text);
      break;
    default:
      QMessageBox::warning(parent, title, text);
      break;
  }
  return CAnswer::Ok;
}

CAnswer AskYesNoCancel(QWidget* parent, const QString& text) {
  if (Hook()) return Hook()(text, CMessageKind::Question);
  const auto answer = QMessageBox::question(
      parent, QStringLiteral("Tarvo"), text,
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return CAnswer::Yes;
  if (answer == QMessageBox::No) return CAnswer::No;
  return CAnswer::Cancel;
}

CAnswer AskYesNo(QWidget* parent, const QString& text) {
  if (Hook()) return Hook()(text, CMessageKind::Question);
  QMessageBox box(QMessageBox::Information, QStringLiteral("Tarvo"), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? CAnswer::Yes : CAnswer::No;
}
