#include "app/folder_field.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QPushButton>
#include <QTimer>

#include "app/message_box.h"

namespace {
CFolderChooser& Chooser() {
  static CFolderChooser chooser;
  return chooser;
}
}  // namespace

void SetFolderChooser(CFolderChooser chooser) { Chooser() = std::move(chooser); }

QString TidyFolderText(const QString& text) {
  if (text.isEmpty()) return text;
  QString tidy = text;
  tidy.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (tidy.contains(QStringLiteral("//"))) tidy.replace(QStringLiteral("//"), QStringLiteral("/"));
  if (!tidy.endsWith(QLatin1Char('/'))) tidy += QLatin1Char('/');
  return tidy;
}

CFolderEdit::CFolderEdit(bool emptyAllowed, QWidget* parent)
    : QLineEdit(parent), EmptyAllowed(emptyAllowed), Browse(new QPushButton(QStringLiteral("..."), parent)) {
  Browse->setAutoDefault(false);
  Browse->setFixedWidth(Browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  connect(Browse, &QPushButton::clicked, this, &CFolderEdit::BrowseForFolder);
}

CFolderEdit::~CFolderEdit() {
  // With a parent, the parent deletes the button among its children.
  if (!parentWidget()) delete Browse;
}

bool CFolderEdit::CheckFolder() {
  if (text().isEmpty() && EmptyAllowed) return true;
  const QString tidy = TidyFolderText(text());
  setText(tidy);
  // A lone "/" is refused as well: the tools write into the folder they are given.
  if (tidy.isEmpty() || tidy == QStringLiteral("/") || !QFileInfo(tidy).isDir()) {
    Checking = true;
    ShowMessageTitled(window(), QStringLiteral("DidOZA"),
                      QStringLiteral("保存目录非法或该文件夹不存在,请重新选择!"), CMessageKind::Error);
    setFocus();
    Checking = false;
    return false;
  }
  return true;
}

QString BrowseFolder(QWidget* parent, const QString& start) {
  const QString title = QStringLiteral("请选择分类数据路径");
  const QString folder =
      Chooser() ? Chooser()(parent, title, start)
                : QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
  return TidyFolderText(folder);
}

void CFolderEdit::BrowseForFolder() {
  const QString folder = BrowseFolder(window(), text());
  if (!folder.isEmpty()) setText(folder);  // cancelled: the old value stays
}

void CFolderEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Not while our own message box takes the focus, nor when the whole
  // window loses it; the check runs once the focus has settled.
  if (Checking || event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
    return;
  QTimer::singleShot(0, this, [this] {
    // Going to the "..." button is not leaving the field.
    if (!Checking && QApplication::focusWidget() != Browse) CheckFolder();
  });
}
