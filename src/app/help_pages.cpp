#include "app/help_pages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "app/message_box.h"

QStringList HelpDocumentCandidates(const QString& programDir, const QString& fileName) {
  const QDir dir(programDir);
  return {QDir::cleanPath(dir.absoluteFilePath(QStringLiteral("../../share/doc/tarvo/") + fileName)),
          QDir::cleanPath(dir.absoluteFilePath(QStringLiteral("doc/") + fileName))};
}

QString FindHelpDocument(const QString& programDir, const QString& fileName) {
  for (const QString& path : HelpDocumentCandidates(programDir, fileName)) {
    if (QFileInfo(path).isFile()) return path;
  }
  return QString();
}

void OpenHelpDocument(QWidget* parent, const QString& fileName) {
  OpenHelpDocumentIn(parent, QCoreApplication::applicationDirPath(), fileName);
}

void OpenHelpDocumentIn(QWidget* parent, const QString& programDir, const QString& fileName) {
  const QString path = FindHelpDocument(programDir, fileName);
  if (path.isEmpty()) {
    ShowMessage(parent, QStringLiteral("找不到文件 %1.").arg(fileName));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    ShowMessage(parent, QStringLiteral("没有可以打开 %1 的程序.").arg(QDir::toNativeSeparators(path)));
  }
}
