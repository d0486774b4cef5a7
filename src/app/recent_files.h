#pragma once
// The four-entry list of recently used game files, kept with QSettings under
// the application's name (the menus show no list).
#include <QString>
#include <QStringList>

constexpr int MAX_RECENT_FILES = 4;

QStringList LoadRecentFiles();
// Puts the path first, dropping older duplicates and anything past four.
void AddToRecentFiles(const QString& path);
