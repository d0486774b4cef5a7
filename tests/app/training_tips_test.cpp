// Every labelled field of the training dialogs explains itself in Chinese,
// on its label and on the field beside it, and keeps its label.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/batch_training_dialog.h"
#include "app/folder_field.h"
#include "app/game_training_dialog.h"
#include "app/training_field_tips.h"
#include "app_test_support.h"

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
    QCOMPARE(dialog.MaxLearnCount->toolTip(), TrainingFieldTip(QStringLiteral("MaxLearnCount:")));
    QCOMPARE(dialog.AutoSaveCount->toolTip(), TrainingFieldTip(QStringLiteral("AutoSaveCount:")));
  }

  void batchTrainingDialog() {
    CBatchTrainingDialog dialog;
    ExpectEveryFieldExplained(dialog, {"RootDir:", "ThreadCount:", "MaxRelearnCount:", "Upper:"});
    QCOMPARE(dialog.Upper->toolTip(), TrainingFieldTip(QStringLiteral("Upper:")));
  }
};

QTEST_MAIN(TrainingTipsTest)
#include "training_tips_test.moc"
