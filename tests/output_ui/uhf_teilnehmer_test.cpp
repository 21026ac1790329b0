// The EDI station dialog offscreen: its fields show the values it was given,
// typed changes come back as the file takes them (Windows-1252, memo lines),
// "OK" and Enter accept, Esc leaves without values.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "output/ui/uhf_teilnehmer.h"

using namespace korv;

namespace {

EdiStationData Sample() {
  EdiStationData v;
  v.pcall = "DL1ABC";
  v.ploc = "JO62QM";
  v.padr1 = "Hauptstr. 1";
  v.padr2 = "12345 M\xFCnchen";  // Windows-1252 "ü"
  v.psect = "S";
  v.pband = "144 MHz";
  v.pclub1 = "DARC";
  v.pclub2 = "N05";
  v.rname = "Max Muster";
  v.radr1 = "Hauptstr. 1";
  v.radr2 = "Hauptstr. 1";
  v.rpoco = "12345";
  v.rcity = "M\xFCnchen";
  v.rcoun = "DL";
  return v;
}

// Types text key by key, also characters outside ASCII.
void Type(QWidget* field, const QString& text) {
  for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Runs Complete with the dialog driven by act once it is shown.
bool CompleteWith(EdiStationData& values, const std::function<void(Tuhfteilnehmer&)>& act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<Tuhfteilnehmer*>(QApplication::activeModalWidget());
    if (dialog == nullptr) qFatal("station dialog not shown");
    act(*dialog);
  });
  return Tuhfteilnehmer::Complete(values, nullptr);
}

}  // namespace

class UhfTeilnehmerTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void ShowsTheValuesItWasGiven() {
    Tuhfteilnehmer dialog(Sample());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("VHF/UHF-Contest"));
    QCOMPARE(dialog.Field("pcall")->text(), QStringLiteral("DL1ABC"));
    QCOMPARE(dialog.Field("padr2")->text(), QStringLiteral("12345 München"));
    QCOMPARE(dialog.Field("rcity")->text(), QStringLiteral("München"));
    QCOMPARE(dialog.Field("pclub2")->text(), QStringLiteral("N05"));
    QCOMPARE(dialog.Field("remail")->text(), QString());
    QCOMPARE(dialog.BandList()->currentText(), QStringLiteral("144 MHz"));
    QCOMPARE(dialog.BandList()->count(), 15);
    // Unchanged, the values come back as given.
    const EdiStationData back = dialog.Values();
    QCOMPARE(back.padr2, Sample().padr2);
    QCOMPARE(back.pband, std::string("144 MHz"));

    EdiStationData noBand = Sample();
    noBand.pband.clear();
    Tuhfteilnehmer other(noBand);
    QCOMPARE(other.BandList()->currentText(), QString());
    QCOMPARE(other.Values().pband, std::string());
  }

  void TypedValuesComeBackWithOk() {
    EdiStationData values = Sample();
    const bool accepted = CompleteWith(values, [](Tuhfteilnehmer& d) {
      QLineEdit* name = d.Field("rname");
      name->setFocus();
      name->selectAll();
      Type(name, QStringLiteral("Jürgen Groß"));
      d.Field("rtrx")->setFocus();
      QTest::keyClicks(d.Field("rtrx"), QStringLiteral("IC-9700"));
      d.Remarks()->setFocus();
      QTest::keyClicks(d.Remarks(), QStringLiteral("Portabel"));
      QTest::keyClick(d.Remarks(), Qt::Key_Return);  // a new memo line, not "OK"
      QTest::keyClicks(d.Remarks(), QStringLiteral("10 W"));
      QVERIFY(d.isVisible());
      d.BandList()->setFocus();
      d.BandList()->setCurrentIndex(d.BandList()->findText(QStringLiteral("432 MHz")));
      d.Field("pcall")->setFocus();
      QTest::keyClick(d.Field("pcall"), Qt::Key_Return);  // the default button
    });
    QVERIFY(accepted);
    QCOMPARE(values.rname, std::string("J\xFCrgen Gro\xDF"));
    QCOMPARE(values.rtrx, std::string("IC-9700"));
    QCOMPARE(values.remarks, std::string("Portabel\n10 W"));
    QCOMPARE(values.pband, std::string("432 MHz"));
    QCOMPARE(values.pcall, std::string("DL1ABC"));

    // The "OK" button itself.
    EdiStationData again = Sample();
    QVERIFY(CompleteWith(again, [](Tuhfteilnehmer& d) {
      QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    }));
  }

  void EscapeLeavesWithoutValues() {
    EdiStationData values = Sample();
    const bool accepted = CompleteWith(values, [](Tuhfteilnehmer& d) {
      QTest::keyClicks(d.Field("pcall"), QStringLiteral("XX"));
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    QVERIFY(!accepted);
    QCOMPARE(values.pcall, std::string("DL1ABC"));
  }
};

QTEST_MAIN(UhfTeilnehmerTest)
#include "uhf_teilnehmer_test.moc"
