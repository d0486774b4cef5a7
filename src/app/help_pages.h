#pragma once
// The documents of the 帮助 menu: the user's manual and the project's README,
// found where the program was installed (share/doc/tarvo beside lib/tarvo)
// or, in a build tree, in doc/ beside the executable.
#include <QString>
#include <QStringList>

class QWidget;

// Where a document is looked for, most specific first.
QStringList HelpDocumentCandidates(const QString& programDir, const QString& fileName);
// The first candidate that exists; empty when none does.
QString FindHelpDocument(const QString& programDir, const QString& fileName);
// Opens the document with the desktop's handler; a missing document or a
// desktop without a handler gets a message naming the file.
void OpenHelpDocument(QWidget* parent, const QString& fileName);
// The same for a program in programDir.
void OpenHelpDocumentIn(QWidget* parent, const QString& programDir, const QString& fileName);

inline constexpr const char* MANUAL_FILE = "manual.html";
inline constexpr const char* README_FILE = "README.md";
