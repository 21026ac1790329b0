// The dialog "Rig-Steuerung", offscreen: choices typed and clicked into real
// widgets, what OK writes into korv-dez.conf, and "Testen" against Hamlib's
// dummy radio behind rigctld.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/scripted_platform.h"
#include "rig/rig_settings.h"
#include "rig/ui/rig_settings_dialog.h"
#include "support/rigctld_process.h"
#include "support/test_support.h"

using namespace korv;

class RigSettingsDialogTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    std::filesystem::path dir = korv::testing::MakeTempDir("rig-dialog");
    std::filesystem::path file = dir / kOwnSettingsFileName;
    ScriptedPlatform platform;
    std::unique_ptr<RigSettingsDialog> dialog;
    bool exposed = false;

    explicit Fixture(
        const std::string& settings = "callhistory = on\ncallhistory.file = calls.txt\n") {
      if (!settings.empty()) {
        korv::testing::WriteAll(file, std::vector<std::uint8_t>(settings.begin(), settings.end()));
      }
      dialog = std::make_unique<RigSettingsDialog>(file, platform);
      dialog->show();
      exposed = QTest::qWaitForWindowExposed(dialog.get());
    }
    ~Fixture() {
      dialog.reset();
      std::filesystem::remove_all(dir);
    }
    std::string FileText() const {
      const std::vector<std::uint8_t> bytes = korv::testing::ReadAll(file);
      return {bytes.begin(), bytes.end()};
    }
    // A click on the round indicator (a radio button's centre may lie right
    // of its text, where it does not take clicks).
    static void Click(QRadioButton* button) {
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    static void Retype(QLineEdit* edit, const QString& text) {
      edit->setFocus();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Delete);
      QTest::keyClicks(edit, text);
    }
    void ChooseRigctld(const QString& host, int port) {
      Click(dialog->rbRigctld());
      Retype(dialog->edHost(), host);
      Retype(dialog->edPort(), QString::number(port));
    }
    QStringList VisibleModels() const {
      QStringList rows;
      QTableWidget* t = dialog->tblModels();
      for (int r = 0; r < t->rowCount(); ++r) {
        if (!t->isRowHidden(r)) rows << t->item(r, 1)->text() + " " + t->item(r, 2)->text();
      }
      return rows;
    }
  };

 private slots:
  void rigctldTypedAndOkWritesTheFile() {
    Fixture f;
    QVERIFY(f.exposed);
    QVERIFY(f.dialog->rbNone()->isChecked());
    QVERIFY(!f.dialog->edHost()->isEnabled());
    f.ChooseRigctld(QStringLiteral("shack-pi"), 4533);
    QVERIFY(f.dialog->edHost()->isEnabled());
    QVERIFY(!f.dialog->edFilter()->isEnabled());
    QTest::mouseClick(f.dialog->btnOk(), Qt::LeftButton);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));

    const RigSettingsRead back = LoadRigSettings(f.file);
    QCOMPARE(QString::fromStdString(back.problem), QString());
    QVERIFY(back.settings.kind == RigKind::kRigctld);
    QCOMPARE(QString::fromStdString(back.settings.host), QStringLiteral("shack-pi"));
    QCOMPARE(back.settings.port, 4533);
    QVERIFY(f.dialog->Saved() == back.settings);
    // The file's other keys stay.
    const OwnSettings own = OwnSettings::Load(f.file);
    QVERIFY(own.GetBool("callhistory", false));
    QCOMPARE(QString::fromStdString(own.Get("callhistory.file")), QStringLiteral("calls.txt"));
    QVERIFY(f.platform.ShownTexts().empty());
  }

  void modelFoundThroughTheFilterWithDeviceAndSpeed() {
    Fixture f;
    Fixture::Click(f.dialog->rbModel());
    f.dialog->edFilter()->setFocus();
    QTest::keyClicks(f.dialog->edFilter(), QStringLiteral("icom 7300"));
    QCOMPARE(f.VisibleModels(), QStringList{QStringLiteral("Icom IC-7300")});
    QTableWidget* t = f.dialog->tblModels();
    int row = 0;
    while (t->isRowHidden(row)) ++row;
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                      t->visualItemRect(t->item(row, 2)).center());
    QCOMPARE(f.dialog->lModel()->text(), QStringLiteral("Icom IC-7300 (3073)"));
    f.dialog->cbDevice()->setFocus();
    f.dialog->cbDevice()->lineEdit()->selectAll();
    QTest::keyClicks(f.dialog->cbDevice(), QStringLiteral("/dev/ttyUSB3"));
    f.dialog->cbSpeed()->setCurrentIndex(f.dialog->cbSpeed()->findText(QStringLiteral("19200")));
    // A filter that hides the chosen model leaves the choice alone.
    Fixture::Retype(f.dialog->edFilter(), QStringLiteral("yaesu"));
    QVERIFY(!f.VisibleModels().contains(QStringLiteral("Icom IC-7300")));
    QVERIFY(f.VisibleModels().size() > 1);
    QTest::mouseClick(f.dialog->btnOk(), Qt::LeftButton);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));

    const RigSettingsRead back = LoadRigSettings(f.file);
    QVERIFY(back.settings.kind == RigKind::kModel);
    QCOMPARE(back.settings.model, 3073);
    QCOMPARE(QString::fromStdString(back.settings.device), QStringLiteral("/dev/ttyUSB3"));
    QCOMPARE(back.settings.speed, 19200);
  }

  void storedSettingsAreShownAndAnOddSpeedIsKept() {
    Fixture f(
        "rig = model\nrig.model = 3073\nrig.device = /dev/ttyACM1\nrig.speed = 1200\n"
        "rig.host = pi\nrig.port = 4600\n");
    QVERIFY(f.dialog->rbModel()->isChecked());
    QCOMPARE(f.dialog->lModel()->text(), QStringLiteral("Icom IC-7300 (3073)"));
    QCOMPARE(f.dialog->cbDevice()->currentText(), QStringLiteral("/dev/ttyACM1"));
    QCOMPARE(f.dialog->cbSpeed()->currentText(), QStringLiteral("1200"));
    QCOMPARE(f.dialog->cbSpeed()->currentData().toInt(), 1200);
    QCOMPARE(f.dialog->edHost()->text(), QStringLiteral("pi"));
    QCOMPARE(f.dialog->edPort()->text(), QStringLiteral("4600"));
    QCOMPARE(f.dialog->lResult()->text(), QString());
    const std::string before = f.FileText();
    QTest::mouseClick(f.dialog->btnOk(), Qt::LeftButton);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QVERIFY(LoadRigSettings(f.file).settings == f.dialog->Saved());
    QCOMPARE(f.dialog->Saved().speed, 1200);
    QVERIFY(f.FileText() != before);  // written in our own layout, with the same values
  }

  void aBadStoredValueIsNamedAndTheGoodOnesShown() {
    Fixture f("rig = rigctld\nrig.host = shack-pi\nrig.port = 45x\n");
    QVERIFY(f.dialog->rbNone()->isChecked());
    QCOMPARE(f.dialog->edHost()->text(), QStringLiteral("shack-pi"));
    QCOMPARE(f.dialog->lResult()->text(),
             QStringLiteral("Die gespeicherten Einstellungen sind nicht verwendbar: "
                            "rig.port: \"45x\" ist keine Portnummer (1..65535)."));
  }

  void okRefusesWhatCannotWorkAndAbbrechenWritesNothing() {
    Fixture f;
    const std::string before = f.FileText();
    Fixture::Click(f.dialog->rbModel());
    QTest::mouseClick(f.dialog->btnOk(), Qt::LeftButton);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kInform),
             (std::vector<std::string>{"Kein Rig-Modell gew\xE4hlt."}));
    f.ChooseRigctld(QString(), 4532);
    QTest::mouseClick(f.dialog->btnOk(), Qt::LeftButton);
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kInform).back(),
             std::string("Kein Rechner f\xFCr rigctld angegeben."));
    QCOMPARE(f.FileText(), before);

    f.ChooseRigctld(QStringLiteral("localhost"), 4532);
    QTest::mouseClick(f.dialog->btnAbbrechen(), Qt::LeftButton);
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(f.FileText(), before);
  }

  void testenShowsTheDummyRadiosFrequency() {
    if (!korv::testing::RigctldProcess::Installed()) {
      QSKIP("rigctld/rigctl not installed (Debian package libhamlib-utils)");
    }
    korv::testing::RigctldProcess rigctld;
    QVERIFY2(rigctld.Start(), rigctld.Problem().c_str());
    QVERIFY(rigctld.Tune(7030000, "CW", 500));
    Fixture f;
    f.ChooseRigctld(QStringLiteral("127.0.0.1"), rigctld.Port());
    QTest::mouseClick(f.dialog->btnTesten(), Qt::LeftButton);
    // The answer comes through the dialog's own timer: asking does not block it.
    QVERIFY(f.dialog->Testing());
    QVERIFY(!f.dialog->btnTesten()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!f.dialog->Testing(), 10000);
    QCOMPARE(f.dialog->lResult()->text(),
             QStringLiteral("Das Rig antwortet: rigctld 7.030,00 kHz CW"));
    QVERIFY(f.dialog->btnTesten()->isEnabled());

    rigctld.Kill();
    QTest::mouseClick(f.dialog->btnTesten(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f.dialog->Testing(), 10000);
    QCOMPARE(f.dialog->lResult()->text(),
             QStringLiteral(
                 "Keine Verbindung: rigctld 127.0.0.1:%1: keine Verbindung möglich (E/A-Fehler).")
                 .arg(rigctld.Port()));
    // Testing saved nothing.
    QVERIFY(LoadRigSettings(f.file).settings.kind == RigKind::kNone);
  }

  // A radio that hangs: the dialog can be closed and destroyed while the
  // question is open; the question's thread ends on its own afterwards.
  void closingWhileARadioHangsLeavesTheQuestionToEndAlone() {
    korv::testing::SilentListener silent;
    QVERIFY(silent.Ok());
    {
      Fixture f;
      f.ChooseRigctld(QStringLiteral("127.0.0.1"), silent.Port());
      QTest::mouseClick(f.dialog->btnTesten(), Qt::LeftButton);
      QVERIFY(f.dialog->Testing());
      QCOMPARE(f.dialog->lResult()->text(), QStringLiteral("Das Rig wird gefragt ..."));
      QVERIFY(silent.WaitForClient(std::chrono::seconds(5)));
      QTest::mouseClick(f.dialog->btnAbbrechen(), Qt::LeftButton);
      QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    }
    QVERIFY(silent.AcceptAndWaitForClose(std::chrono::seconds(10)));
  }

  void testenWithoutARadioSaysSo() {
    Fixture f;
    QTest::mouseClick(f.dialog->btnTesten(), Qt::LeftButton);
    QVERIFY(!f.dialog->Testing());
    QCOMPARE(f.dialog->lResult()->text(), QStringLiteral("Keine Rig-Steuerung eingestellt."));
  }
};

QTEST_MAIN(RigSettingsDialogTest)
#include "rig_settings_dialog_test.moc"
