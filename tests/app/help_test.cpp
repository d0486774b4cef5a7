// The 帮助 documents (found where the program is installed or in the build
// tree, a message when there is no file or no program to show it) and Qt's
// own texts in Chinese.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/help_pages.h"
#include "app/qt_translations.h"
#include "app_test_support.h"

namespace {
void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("<html></html>");
}
}  // namespace

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Urls;
 public slots:
  void Open(const QUrl& url) { Urls << url; }
};

class HelpTest : public QObject {
  Q_OBJECT

 private slots:
  void installedDocumentsComeFirst() {
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("lib/tarvo"));
    QDir().mkpath(program);
    QCOMPARE(HelpDocumentCandidates(program, QStringLiteral("manual.html")).first(),
             root.filePath(QStringLiteral("share/doc/tarvo/manual.html")));
    QVERIFY(FindHelpDocument(program, QStringLiteral("manual.html")).isEmpty());
    // A build tree: doc/ beside the program.
    Touch(program + QStringLiteral("/doc/manual.html"));
    QCOMPARE(FindHelpDocument(program, QStringLiteral("manual.html")), program + QStringLiteral("/doc/manual.html"));
    // An installed program: share/doc/tarvo wins.
    Touch(root.filePath(QStringLiteral("share/doc/tarvo/manual.html")));
    QCOMPARE(FindHelpDocument(program, QStringLiteral("manual.html")),
             root.filePath(QStringLiteral("share/doc/tarvo/manual.html")));
  }

  void opensTheDocumentWithTheDesktopHandler() {
    CMessageRecorder recorder;
    QTemporaryDir root;
    Touch(root.filePath(QStringLiteral("doc/README.md")));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    OpenHelpDocumentIn(nullptr, root.path(), QStringLiteral("README.md"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.Urls.size(), 1);
    QCOMPARE(catcher.Urls[0].toLocalFile(), root.filePath(QStringLiteral("doc/README.md")));
    QVERIFY(recorder.Messages.isEmpty());
  }

  void missingDocumentOrHandlerGivesAMessage() {
    CMessageRecorder recorder;
    QTemporaryDir root;
    OpenHelpDocumentIn(nullptr, root.path(), QStringLiteral("manual.html"));
    QCOMPARE(recorder.Messages, QStringList {QStringLiteral("找不到文件 manual.html.")});
    // No program to show the file: nothing on the search path can open it.
    Touch(root.filePath(QStringLiteral("doc/manual.html")));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", root.path().toLocal8Bit());
    OpenHelpDocumentIn(nullptr, root.path(), QStringLiteral("manual.html"));
    qputenv("PATH", path);
    if (recorder.Messages.size() == 1) QSKIP("this platform opens files without a program on PATH");
    QCOMPARE(recorder.Messages.size(), 2);
    QVERIFY(recorder.Messages[1].startsWith(QStringLiteral("没有可以打开 ")));
    QVERIFY(recorder.Messages[1].contains(root.filePath(QStringLiteral("doc/manual.html"))));
  }

  void qtTextsInChinese() {
    QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")));
    QVERIFY(box.button(QMessageBox::No)->text().contains(QStringLiteral("否")));
    QVERIFY(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("取消")));
  }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
