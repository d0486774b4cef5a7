// What the desktop program says after 打开: how many moves were read, and
// where and why the reading stopped when it stopped early.
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/larko_doc.h"
#include "app/main_frame.h"
#include "app_test_support.h"

class OpenReportTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMessageRecorder> Recorder;
  std::unique_ptr<CMainFrame> Frame;

  QString Status() { return Frame->statusBar()->currentMessage(); }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    Recorder = std::make_unique<CMessageRecorder>();
    ResetGame();
    g_Game->HumanVsHuman = 1;
    Frame = CLarkoApp::OpenMainFrame({});
    QVERIFY(Frame);
  }
  void cleanup() {
    Frame.reset();
    Recorder.reset();
  }

  void wholeFileInTheStatusBar() {
    QVERIFY(Frame->Doc()->OpenDocumentFile(QStringLiteral(TARVO_TEST_DATA_DIR "/games/game01.pgn")));
    QVERIFY(Recorder->Messages.isEmpty());
    QCOMPARE(Status(), QStringLiteral("已读入127步"));
  }

  void partReadSaysWhereAndWhy() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.pgn"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Event \"E\"]\r\n\r\n1. 炮二平五 马8进7\r\n2. 炮二平五\r\n");  // UTF-8 text
    file.close();
    QVERIFY(Frame->Doc()->OpenDocumentFile(path));
    const QString expected = QStringLiteral("已读入2步，第4行停止：“炮二平五”不是该局面的着法");
    QCOMPARE(Recorder->Messages, QStringList {expected});
    QCOMPARE(Status(), expected);
    QCOMPARE(g_Game->Record().Current, 1);
  }

  // The reason is the window's own, in Chinese, whatever the file's fault.
  void failureNamesTheReasonInChinese() {
    QTemporaryDir dir;
    const auto write = [&dir](const char* name, const QByteArray& text) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      if (file.open(QIODevice::WriteOnly)) file.write(text);
      return file.fileName();
    };
    const std::pair<QString, QString> cases[] = {
        {dir.path(), QStringLiteral("这是文件夹, 不是棋谱文件")},
        {dir.filePath(QStringLiteral("missing.pgn")), QStringLiteral("文件不存在")},
        {write("tag.pgn", "[Event no quotes]\n"), QStringLiteral("第1行: 标签没有名称或缺少成对的双引号")},
        {write("tags.pgn", "[Event \"E\"]\n"), QStringLiteral("文件在标签部分就结束了, 标签后没有着法")},
        {write("fen.pgn", "[FEN \"xyz w\"]\n\n"), QStringLiteral("FEN 标签不是有效的局面")},
        {write("nul.pgn", QByteArray("[Event \"E\"]\n\n1. ", 15) + QByteArray(1, '\0')),
         QStringLiteral("文件含有 NUL 字节, 不是文本文件")},
    };
    for (const auto& [path, reason] : cases) {
      Recorder->Messages.clear();
      QVERIFY(!Frame->Doc()->OpenDocumentFile(path));
      QCOMPARE(Recorder->Messages, QStringList {QStringLiteral("加载棋谱失败.")});
      QCOMPARE(Status(), QStringLiteral("加载棋谱失败. ") + path + QStringLiteral(": ") + reason);
    }
  }
};

QTEST_MAIN(OpenReportTest)
#include "open_report_test.moc"
