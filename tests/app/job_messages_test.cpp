// The Chinese wording of every kind of job refusal, with the setting, the
// range, the path and the core's reason where the kind carries them.
#include <QtTest>

#include "app/job_messages.h"

class JobMessagesTest : public QObject {
  Q_OBJECT

 private slots:
  void wording_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, CJobFault fault, const char* setting, const char* detail,
                        const char* expected) {
      QTest::newRow(name) << static_cast<int>(fault) << QString::fromUtf8(setting) << QString::fromUtf8(detail)
                          << QString::fromUtf8(expected);
    };
    row("none", CJobFault::None, "", "", "");
    row("range", CJobFault::OutOfRange, "MaxLearnCount", "", "MaxLearnCount 必须在 1 到 10000000 之间 (现为 -1).");
    row("folder", CJobFault::NoSuchFolder, "RootDir", "", "RootDir: 文件夹不存在: /d/样本");
    row("no input", CJobFault::NoInput, "RootDir", "", "RootDir: /d/样本 中没有可处理的文件.");
    row("unreadable", CJobFault::Unreadable, "", "permission denied", "无法读取: /d/样本 (原因: permission denied)");
    row("cannot write", CJobFault::CannotWrite, "", "", "无法写入: /d/样本 (磁盘已满或文件夹只读?)");
    row("bad file", CJobFault::BadFile, "", "Lambda=-5 is out of range", "文件无法使用: /d/样本 (原因: Lambda=-5 is out of range)");
    row("missing", CJobFault::Missing, "引擎命令", "", "引擎命令: 不能为空.");
    row("failed", CJobFault::Failed, "", "", "操作失败.");
  }
  void wording() {
    QFETCH(int, fault);
    QFETCH(QString, setting);
    QFETCH(QString, detail);
    CJobError error;
    error.Fault = static_cast<CJobFault>(fault);
    error.Setting = setting.toStdString();
    error.Detail = detail.toStdString();
    error.Path = "/d/样本";
    if (error.Fault == CJobFault::OutOfRange) error = OutOfRange("MaxLearnCount", -1, 1, 10000000);
    QTEST(ChineseMessage(error), "expected");
  }

  void fractionsAndHugeValuesAreShownAsGiven() {
    QCOMPARE(ChineseMessage(OutOfRange("Lambda", 1.5, 0, 1)), QStringLiteral("Lambda 必须在 0 到 1 之间 (现为 1.5)."));
    QCOMPARE(ChineseMessage(OutOfRange("MaxTrainCount", 1e30, 1, 10000000)),
             QStringLiteral("MaxTrainCount 必须在 1 到 10000000 之间 (现为 1e+30)."));
  }
};

QTEST_APPLESS_MAIN(JobMessagesTest)
#include "job_messages_test.moc"
