// The choice dialog "Auswahl DXCC", offscreen, driven by real key presses
// and mouse clicks while it runs modally.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <vector>

#include "refdata/ui/pref_auswahl.h"

using namespace korv;

class PrefAuswahlTest : public QObject {
  Q_OBJECT

 private:
  static PrefixRecord Entry(const char* dxcc, const char* country, const char* cq) {
    PrefixRecord r;
    r.SetPrefix("VP8");
    r.SetDxccPrefix(dxcc);
    r.SetCountry(country);
    r.SetCqZone(cq);
    r.SetItuZone("16");
    return r;
  }

  struct Fixture {
    std::vector<PrefixRecord> candidates{
        Entry("VP8", "Falkland Islands", "13"),
        Entry("VP8/G",
              "S\xFC"
              "dgeorgien",
              "13"),  // "Südgeorgien" in Windows-1252
        Entry("VP8/O", "South Orkney", "13"),
    };
    PrefixChoiceRequest request;
    TPrefAuswahl dialog;
    Fixture() {
      request.candidates = candidates;
      request.call = "VP8ABC";
      request.qsoDate = DayNumberFromCivil({2024, 6, 1});
      candidates[2].SetValidUntil(DayNumberFromCivil({2000, 1, 1}));
      candidates[2].SetReferencePrefix("VP8-OLD");
    }
    // Runs the dialog modally; `script` acts on it once it is shown.
    std::optional<std::size_t> Run(std::function<void(TPrefAuswahl&)> script) {
      QTimer::singleShot(0, &dialog, [this, script] {
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        script(dialog);
        // A script that did not end the dialog fails the test instead of hanging.
        if (dialog.isVisible()) {
          dialog.reject();
          QFAIL("dialog still open");
        }
      });
      return dialog.ChoosePrefix(request);
    }
  };

  static QPoint RowCentre(QTableWidget* grid, int row) {
    return grid->visualRect(grid->model()->index(row, 1)).center();
  }

 private slots:
  void showsHeaderColumnsAndRows() {
    Fixture f;
    f.dialog.Load(f.request);
    QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Auswahl DXCC"));
    QCOMPARE(f.dialog.findChild<QLabel*>("lQso")->text(),
             QStringLiteral("QSO:  VP8ABC  01.06.2024"));
    QCOMPARE(f.dialog.findChild<QLabel*>("lText1")->text(),
             QStringLiteral("Für das aktuelle Rufzeichen stehen mehrere DXCC zur Auswahl. "
                            "Durch Doppelklick auf"));
    QCOMPARE(f.dialog.findChild<QLabel*>("lText2")->text(),
             QStringLiteral("einen der unteren Einträge wird dem QSO ein DXCC zugeordnet."));
    QCOMPARE(f.dialog.findChild<QLabel*>("lHint")->text(),
             QStringLiteral("Sie können auch die Pfeiltasten <hoch> und <runter> nutzen."));
    QTableWidget* grid = f.dialog.grid();
    QStringList headers;
    for (int c = 0; c < grid->columnCount(); ++c) headers << grid->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"Nr", "DXCC", "CQ", "ITU", "Land", "Bemerkung"}));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("2"));
    QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("VP8/G"));
    QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("13"));
    QCOMPARE(grid->item(1, 3)->text(), QStringLiteral("16"));
    QCOMPARE(grid->item(1, 4)->text(), QStringLiteral("Südgeorgien"));
    QCOMPARE(grid->item(0, 5)->text(), QString());
    QCOMPARE(grid->item(2, 5)->text(), QStringLiteral("VP8-OLD (am 01.06.2024 nicht gültig)"));
    QCOMPARE(grid->currentRow(), 0);
    QCOMPARE(f.dialog.btnUebernehmen()->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(f.dialog.btnAbbrechen()->text(), QStringLiteral("Abbrechen"));
    // Columns in cells of the digit "8".
    const int cell = f.dialog.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    QCOMPARE(grid->columnWidth(4), 31 * cell);
  }

  void bareprefixHasNoQsoLine() {
    Fixture f;
    f.request.forQso = false;
    f.dialog.Load(f.request);
    QVERIFY(f.dialog.findChild<QLabel*>("lQso")->isHidden());
    QCOMPARE(f.dialog.findChild<QLabel*>("lText2")->text(),
             QStringLiteral("einen der unteren Einträge wird dem Präfix ein DXCC zugeordnet."));
  }

  void arrowDownAndEnterTakeTheSecondRow() {
    Fixture f;
    const auto taken = f.Run([](TPrefAuswahl& d) {
      QTest::keyClick(d.grid(), Qt::Key_Down);
      QCOMPARE(d.grid()->currentRow(), 1);
      QTest::keyClick(d.grid(), Qt::Key_Return);
    });
    QCOMPARE(taken, std::optional<std::size_t>(1));
  }

  void arrowsStopAtTheEnds() {
    Fixture f;
    const auto taken = f.Run([](TPrefAuswahl& d) {
      QTest::keyClick(d.grid(), Qt::Key_Up);
      for (int i = 0; i < 5; ++i) QTest::keyClick(d.grid(), Qt::Key_Down);
      QTest::keyClick(d.grid(), Qt::Key_Enter);
    });
    QCOMPARE(taken, std::optional<std::size_t>(2));
  }

  void escapeCancels() {
    Fixture f;
    const auto taken = f.Run([](TPrefAuswahl& d) {
      QTest::keyClick(d.grid(), Qt::Key_Down);
      QTest::keyClick(d.grid(), Qt::Key_Escape);
    });
    QCOMPARE(taken, std::nullopt);
  }

  void doubleClickTakesTheRow() {
    Fixture f;
    const auto taken = f.Run([](TPrefAuswahl& d) {
      // A double click is press, release, double-click press, release.
      QWidget* viewport = d.grid()->viewport();
      QTest::mouseClick(viewport, Qt::LeftButton, {}, RowCentre(d.grid(), 2));
      QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowCentre(d.grid(), 2));
    });
    QCOMPARE(taken, std::optional<std::size_t>(2));
  }

  void clickThenUebernehmenOrAbbrechen() {
    Fixture f;
    auto taken = f.Run([](TPrefAuswahl& d) {
      QTest::mouseClick(d.grid()->viewport(), Qt::LeftButton, {}, RowCentre(d.grid(), 2));
      QCOMPARE(d.grid()->currentRow(), 2);
      QTest::mouseClick(d.btnUebernehmen(), Qt::LeftButton);
    });
    QCOMPARE(taken, std::optional<std::size_t>(2));
    taken = f.Run([](TPrefAuswahl& d) { QTest::mouseClick(d.btnAbbrechen(), Qt::LeftButton); });
    QCOMPARE(taken, std::nullopt);
  }
};

QTEST_MAIN(PrefAuswahlTest)
#include "pref_auswahl_test.moc"
