#pragma once
// Qt's own texts (the standard buttons, the file dialogs) in Chinese, from
// the translations Qt installs (Debian: qt6-translations-l10n).
class QCoreApplication;

// True when Qt's Chinese catalogue was found and installed.
bool InstallQtTranslations(QCoreApplication& app);
