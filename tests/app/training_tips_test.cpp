// Every labelled field of the training dialogs explains itself in Chinese,
// on its label and on the field beside it, and keeps its label; the range a
// tip gives is the one the job holds the setting to.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/batch_training_dialog.h"
#include "app/folder_field.h"
#include "app/game_training_dialog.h"
#include "app/training_field_tips.h"
#include "app_test_support.h"
#include "jobs/batch_train.h"
#include "jobs/game_training_values.h"

class TrainingTipsTest : public QObject {
  Q_OBJECT

  // Each label that names a value ("Name:") has a tip, and so has each line
  // edit of the dialog; labels kept as the values' names.
  static void ExpectEveryFieldExplained(QDialog& dialog, const QStringList& someLabels) {
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      labels << label->text();
      if (!label->text().endsWith(':')) continue;
      QVERIFY2(!label->toolTip().isEmpty(), qPrintable(label->text()));
    }
    for (const QString& label : someLabels) QVERIFY2(labels.contains(label), qPrintable(label));
    for (QLineEdit* field : dialog.findChildren<QLineEdit*>())
      QVERIFY2(!field->toolTip().isEmpty(), qPrintable(field->objectName()));
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) QVERIFY2(!box->toolTip().isEmpty(), qPrintable(box->text()));
  }

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }

  void gameTrainingDialog() {
    CGameTrainingDialog dialog;
    ExpectEveryFieldExplained(dialog, {"RootDir:", "MaxLearnCount:", "AutoSaveCount:", "Lambda:"});
    // Each field has its own tip, not its neighbour's.
    QCOMPARE(dialog.MaxLearnCount->toolTip(), TrainingFieldTip(CTrainingJob::Game, QStringLiteral("MaxLearnCount:")));
    QCOMPARE(dialog.AutoSaveCount->toolTip(), TrainingFieldTip(CTrainingJob::Game, QStringLiteral("AutoSaveCount:")));
  }

  void batchTrainingDialog() {
    CBatchTrainingDialog dialog;
    ExpectEveryFieldExplained(dialog, {"RootDir:", "ThreadCount:", "MaxRelearnCount:", "Upper:", "批大小:", "搜索深度:"});
    QCOMPARE(dialog.Upper->toolTip(), TrainingFieldTip(CTrainingJob::Batch, QStringLiteral("Upper:")));
  }

  // The tip's bounds read back from its text: the job takes each bound (or,
  // for "大于", refuses the lower one) and refuses the numbers just outside,
  // naming the setting.
  void tipRangesAreTheJobsRefusalBoundaries() {
    using CCheck = CJobError (*)(long long value);
    struct {
      CTrainingJob Job;
      const char* Label;
      const char* Setting;
      CCheck Check;
    } const cases[] = {
        {CTrainingJob::Game, "MaxLearnCount:", "MaxLearnCount", [](long long x) { return GameCheck([&](CGameTrainingValues& v) { v.MaxLearnCount = int32_t(x); }); }},
        {CTrainingJob::Game, "AutoSaveCount:", "AutoSaveCount", [](long long x) { return GameCheck([&](CGameTrainingValues& v) { v.AutoSaveCount = int32_t(x); }); }},
        {CTrainingJob::Game, "MaxMoveCount:", "MaxMoveCount", [](long long x) { return GameCheck([&](CGameTrainingValues& v) { v.MaxMoveCount = int32_t(x); }); }},
        {CTrainingJob::Game, "MinDeltaPieceCount:", "MinDeltaPieceCount", [](long long x) { return GameCheck([&](CGameTrainingValues& v) { v.MinDeltaPieceCount = int32_t(x); }); }},
        {CTrainingJob::Game, "思考时间(ms):", "MoveTime", [](long long x) { return GameCheck([&](CGameTrainingValues& v) { v.Outside.MoveTimeMs = int(x); }); }},
        {CTrainingJob::Batch, "MaxLearnCount:", "MaxLearnCount", [](long long x) { return BatchCheck([&](CTrainParams& p) { p.MaxLearnCount = int32_t(x); }); }},
        {CTrainingJob::Batch, "ThreadCount:", "ThreadCount", [](long long x) { return BatchCheck([&](CTrainParams& p) { p.ThreadCount = int32_t(x); }); }},
        {CTrainingJob::Batch, "MinStatusCount:", "MinStatusCount", [](long long x) { return BatchCheck([&](CTrainParams& p) { p.MinStatusCount = int32_t(x); }); }},
        {CTrainingJob::Batch, "StartTdbpAnnIndex:", "StartTdbpAnnIndex", [](long long x) { return BatchCheck([&](CTrainParams& p) { p.StartTdbpAnnIndex = int32_t(x); }); }},
        {CTrainingJob::Batch, "TestOverflowCoeff:", "TestOverflowCoeff", [](long long x) { return BatchCheck([&](CTrainParams& p) { p.TestOverflowCoeff = float(x); }); }},
    };
    const QRegularExpression inclusive(QStringLiteral("范围: (-?\\d+) 到 (-?\\d+)\\.$"));
    const QRegularExpression above(QStringLiteral("范围: 大于 (-?\\d+), 至多 (-?\\d+)\\.$"));
    for (const auto& c : cases) {
      const QString tip = TrainingFieldTip(c.Job, QString::fromUtf8(c.Label));
      QRegularExpressionMatch match = inclusive.match(tip);
      const bool aboveMin = !match.hasMatch();
      if (aboveMin) match = above.match(tip);
      QVERIFY2(match.hasMatch(), qPrintable(tip));
      const long long min = match.captured(1).toLongLong(), max = match.captured(2).toLongLong();
      const auto refused = [&](long long value) {
        const CJobError error = c.Check(value);
        return error.Fault == CJobFault::OutOfRange && error.Setting == c.Setting;
      };
      QVERIFY2(aboveMin ? refused(min) : !c.Check(min), qPrintable(tip));
      QVERIFY2(!c.Check(max), qPrintable(tip));
      QVERIFY2(refused(min - 1), qPrintable(tip));
      if (max < INT32_MAX) QVERIFY2(refused(max + 1), qPrintable(tip));
    }
  }

 private:
  template <typename F>
  static CJobError GameCheck(F spoil) {
    CGameTrainingValues values;
    values.RootDir = "/tmp/";
    spoil(values);
    return CheckGameTrainingValues(values);
  }
  template <typename F>
  static CJobError BatchCheck(F spoil) {
    CTrainParams params = BatchTrainingDefaults(CTdbpAnnList {});
    params.RootDir = TARVO_TEST_DATA_DIR "/games/";
    spoil(params);
    return CheckBatchTrainingSettings(params);
  }
};

QTEST_MAIN(TrainingTipsTest)
#include "training_tips_test.moc"
