#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const char* kGroup = "Recent File List";

}  // namespace

QStringList LoadRecentFiles() {
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  settings.beginGroup(kGroup);
  QStringList files;
  for (int i = 1; i <= MAX_RECENT_FILES; ++i) {
    const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) files << file;
  }
  return files;
}

void AddToRecentFiles(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList files = LoadRecentFiles();
  files.removeAll(absolute);
  files.prepend(absolute);
  while (files.size() > MAX_RECENT_FILES) files.removeLast();
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  settings.beginGroup(kGroup);
  for (int i = 1; i <= MAX_RECENT_FILES; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= files.size()) {
      settings.setValue(key, files[i - 1]);
    } else {
      settings.remove(key);
    }
  }
}
