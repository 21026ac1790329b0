// The party evaluation window offscreen over a real QSO file: the panel
// rendered into an image and read pixel by pixel, the step radio buttons
// clicked, the keys that close it, and the notice without a start date.
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <array>
#include <functional>
#include <memory>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "logging/qso_record.h"
#include "output/ui/party_evaluation_form.h"
#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"
#include "storage/engine.h"
#include "support/test_support.h"

using namespace korv;

namespace {

constexpr std::int32_t kLogNumber = 3;
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

// A data directory with the QSO file of one log and a header that names a
// start date.
struct Fixture {
  std::filesystem::path dir = testing::MakeTempDir("party-window");
  testing::RecordingFatalHandler fatal;
  std::unique_ptr<StorageEngine> engine;
  std::unique_ptr<FileCatalogue> catalogue;
  FileBlock* qsoFile = nullptr;
  ScriptedPlatform platform;
  std::array<std::uint8_t, kContestHeaderSize> headerBytes{};
  ContestHeader header{headerBytes};

  Fixture() {
    engine = testing::StartTestEngine(testing::TestEngineOptions(dir, fatal));
    if (engine == nullptr) qFatal("engine");
    catalogue = std::make_unique<FileCatalogue>(*engine);
    qsoFile = catalogue->OpenQsoFile(kLogNumber);
    if (qsoFile == nullptr) qFatal("QSO file");
    header.MarkCreated();
    header.SetContestNumber(kLogNumber);
    header.SetContestCode('P');
    header.SetStartDate(DayNumberFromCivil({2026, 7, 4}));
  }
  ~Fixture() {
    catalogue.reset();
    engine.reset();
    std::filesystem::remove_all(dir);
  }

  // `count` QSOs whose received field 2 is `age`.
  void Add(const char* age, int count, std::uint16_t points = 1) {
    for (int i = 0; i < count; ++i) {
      qsoFile->ClearRecordBuffer();
      auto qso = QsoRecord::Over(qsoFile->Record());
      if (!qso) qFatal("record size");
      qso->SetCall("DL1AAA");
      qso->SetBand('b');
      qso->SetReceivedExchange({"59", age, {}, {}});
      qso->SetPoints(points);
      if (!qsoFile->InsertRecord().ok()) qFatal("insert");
    }
  }

  // Runs the window; `inside` sees it while it is up and must close it.
  // Returns what Run returned; `shown` tells whether a window came up.
  bool Run(std::optional<QRect>& place, const std::function<void(Tpartyauswertungform&)>& inside,
           bool& shown) {
    shown = false;
    QObject guard;  // no check is left pending after Run returned
    QTimer::singleShot(0, &guard, [&] {
      auto* w = qobject_cast<Tpartyauswertungform*>(QApplication::activeModalWidget());
      if (w == nullptr) return;
      shown = true;
      QApplication::setActiveWindow(w);
      (void)QTest::qWaitForWindowActive(w);
      inside(*w);
      // A failed check must not leave the test waiting on the window.
      if (w->isVisible()) w->reject();
    });
    return Tpartyauswertungform::Run(platform, header, *qsoFile, place);
  }
};

QImage Render(Tpartyauswertungform& w) {
  return w.Panel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor At(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

bool HasColour(const QImage& image, const QColor& colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (At(image, x, y) == colour) return true;
    }
  }
  return false;
}

void ClickRadio(Tpartyauswertungform& w, const char* name) {
  auto* r = w.findChild<QRadioButton*>(QString::fromLatin1(name));
  if (r == nullptr) qFatal("no radio button %s", name);
  QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2));
}

void PressKey(Tpartyauswertungform& w, Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr && w.isAncestorOf(focus) ? focus : &w, key);
}

}  // namespace

class PartyEvaluationFormTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void barsAndAxesWhereTheChartPutsThem() {
    Fixture f;
    // Largest count 3: the scale is 10, 20 pixels per QSO.
    f.Add("20", 3);
    f.Add("21", 2);
    f.Add("35", 1, 0);  // no points: not drawn
    std::optional<QRect> place;
    bool shown = false;
    const bool ran = f.Run(place, [](Tpartyauswertungform& w) {
      QCOMPARE(w.windowTitle(), QStringLiteral("Übersicht"));
      QVERIFY(w.findChild<QRadioButton*>("rEinJahr")->isChecked());
      QCOMPARE(w.findChild<QRadioButton*>("rFuenfJahre")->text(), QStringLiteral("5-Jahres-Schritte"));
      QCOMPARE(w.findChild<QRadioButton*>("rZehnJahre")->text(), QStringLiteral("10-Jahres-Schritte"));
      QVERIFY(w.Panel()->width() >= 620 && w.Panel()->height() >= 310);
      const QImage image = Render(w);
      // Age 20: x 142..144, top 50 + 7 * 20 = 190.
      QCOMPARE(At(image, 143, 190), kBlue);
      QCOMPARE(At(image, 143, 249), kBlue);
      QCOMPARE(At(image, 143, 189), kWhite);
      QCOMPARE(At(image, 145, 200), kWhite);  // the bar is 3 pixels wide
      // Age 21: top 50 + 8 * 20 = 210.
      QCOMPARE(At(image, 148, 210), kBlue);
      QCOMPARE(At(image, 148, 209), kWhite);
      // Age 35 had no points.
      QCOMPARE(At(image, 218, 245), kWhite);
      // The axes and a value tick.
      QCOMPARE(At(image, 41, 100), kBlack);
      QCOMPARE(At(image, 300, 251), kBlack);
      QCOMPARE(At(image, 35, 150), kBlack);
      QCOMPARE(At(image, 35, 151), kWhite);
      PressKey(w, Qt::Key_Escape);
    }, shown);
    QVERIFY(shown);
    QVERIFY(ran);
    QVERIFY(place.has_value());
  }

  void stepButtonsRedrawTheBars() {
    Fixture f;
    f.Add("20", 3);
    f.Add("21", 2);
    std::optional<QRect> place;
    bool shown = false;
    (void)f.Run(place, [](Tpartyauswertungform& w) {
      // x 152 is age 22 by the year, inside bucket 20's bar at 5 years; x 165
      // lies inside bucket 20's bar only at 10 years (bucket 25 begins at 167).
      struct {
        const char* radio;
        AgeStep step;
        QColor at152;
        QColor at165;
      } const cases[] = {
          {"rFuenfJahre", AgeStep::kFive, kBlue, kWhite},
          {"rZehnJahre", AgeStep::kTen, kBlue, kBlue},
          {"rEinJahr", AgeStep::kOne, kWhite, kWhite},
      };
      for (const auto& c : cases) {
        ClickRadio(w, c.radio);
        QCOMPARE(w.Step(), c.step);
        const QImage image = Render(w);
        QCOMPARE(At(image, 152, 240), c.at152);
        QCOMPARE(At(image, 165, 240), c.at165);
      }
      // At 10 years the ages 21..30 are one bucket: 2 QSOs, top 50 + 8 * 20.
      ClickRadio(w, "rZehnJahre");
      const QImage image = Render(w);
      QCOMPARE(At(image, 200, 210), kBlue);
      QCOMPARE(At(image, 200, 209), kWhite);
      w.findChild<QPushButton*>("btnOK")->click();
    }, shown);
    QVERIFY(shown);
  }

  void withoutCountedQsosOnlyTheNotice() {
    Fixture f;
    f.Add("20", 4, 0);
    f.Add("31", 1, 0);
    std::optional<QRect> place;
    bool shown = false;
    (void)f.Run(place, [](Tpartyauswertungform& w) {
      ClickRadio(w, "rFuenfJahre");
      const QImage image = Render(w);
      QVERIFY(!HasColour(image, kBlue));
      QCOMPARE(At(image, 41, 100), kWhite);   // no axis
      QCOMPARE(At(image, 300, 251), kWhite);
      // The notice's letters in the top left corner.
      bool ink = false;
      for (int y = 0; y < 20 && !ink; ++y) {
        for (int x = 0; x < 150 && !ink; ++x) ink = At(image, x, y) != kWhite;
      }
      QVERIFY(ink);
      const PartyChart& chart = w.Panel()->Chart();
      QCOMPARE(chart.texts.size(), std::size_t{1});
      QCOMPARE(ToQString(chart.texts[0].text), QStringLiteral("keine gültigen QSO im Log"));
      QVERIFY(chart.texts[0].bold);
      PressKey(w, Qt::Key_Escape);
    }, shown);
    QVERIFY(shown);
  }

  void placeIsRestoredAndKeptWhenEnterCloses() {
    Fixture f;
    f.Add("44", 1);
    std::optional<QRect> place = QRect(120, 90, 800, 420);
    bool shown = false;
    (void)f.Run(place, [](Tpartyauswertungform& w) {
      QCOMPARE(w.geometry(), QRect(120, 90, 800, 420));
      w.setGeometry(QRect(60, 40, 820, 430));
      PressKey(w, Qt::Key_Return);  // the default button
      QVERIFY(!w.isVisible());
    }, shown);
    QVERIFY(shown);
    QCOMPARE(place, std::optional<QRect>(QRect(60, 40, 820, 430)));
  }

  void withoutStartDateOnlyTheMessage() {
    Fixture f;
    f.Add("20", 1);
    f.header.SetStartDate(0);
    std::optional<QRect> place;
    bool shown = false;
    const bool ran = f.Run(place, [](Tpartyauswertungform& w) { w.reject(); }, shown);
    QVERIFY(!ran);
    QVERIFY(!shown);
    QVERIFY(!place.has_value());
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kInform),
             std::vector<std::string>{"Der Beginn des Contestes wurde nicht angegeben."});
  }
};

QTEST_MAIN(PartyEvaluationFormTest)
#include "party_evaluation_form_test.moc"
