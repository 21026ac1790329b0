// The configuration window offscreen over a real data directory: typed
// fields, clicked buttons and radio buttons, the checks in their order with
// the offending field coloured, the save into the contest directory and the
// totals file, the evaluation panel and the output menu.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "controls/ui/kx_edit.h"
#include "logging/totals_record.h"
#include "output/ui/config_form.h"
#include "output/ui/eing_contest_std.h"
#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"
#include "shell/contest_directory.h"
#include "support/test_support.h"

using namespace korv;

namespace {

const QColor kRed(255, 128, 128);

struct Fixture {
  ScriptedPlatform platform;
  ProgramState state;
  testing::RecordingFatalHandler fatal;
  std::filesystem::path dir = testing::MakeTempDir("config-window");
  std::unique_ptr<ProgramSession> session;
  std::vector<std::filesystem::path> shownFiles;
  std::vector<ContestCode> rulesShown;
  std::unique_ptr<TEingContestStd> window;

  Fixture() {
    SessionOptions options;
    options.dataDirectory = dir;
    options.countryFile.clear();
    options.fatalHandler = &fatal;
    session = std::make_unique<ProgramSession>(platform, state, options);
    if (session->Start() != ProgramSession::StartResult::kOk) qFatal("session did not start");
    platform.ClearRecord();  // the missing prefix file's warning
  }
  ~Fixture() {
    window.reset();
    session->Stop();
    std::filesystem::remove_all(dir);
  }
  TEingContestStd& Open(bool logExists, bool evaluationOnly) {
    ConfigurationSetup setup;
    setup.showTextFile = [this](const std::filesystem::path& p) { shownFiles.push_back(p); };
    setup.showRules = [this](ContestCode code) { rulesShown.push_back(code); };
    setup.outputDirectory = dir;
    setup.helpSearchDirs = {qgetenv("KORV_SHARE_DIR").toStdString()};
    window = std::make_unique<TEingContestStd>(platform, *session, state, setup);
    window->Prepare(logExists, evaluationOnly, '3');
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("window not active");
    return *window;
  }
  FileBlock& Directory() { return session->contestDirectory(); }
  // Reads the only header of the directory into its record buffer.
  ContestHeader StoredHeader() {
    if (!Directory().MoveFirst(3).ok()) qFatal("no header stored");
    return *ContestHeader::Over(Directory().Record());
  }
  std::string LastInform() const {
    const auto texts = platform.TextsOf(ScriptedPlatform::Kind::kInform);
    return texts.empty() ? std::string() : texts.back();
  }
};

template <typename T>
T* Child(QWidget& w, const char* name) {
  T* child = w.findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no child %s", name);
  return child;
}

void Type(QWidget& w, const char* name, const char* text) {
  auto* field = Child<TkxEdit>(w, name);
  QTest::mouseClick(field, Qt::LeftButton);
  field->selectAll();
  // Umlauts arrive as key events with their text, as a German keyboard sends them.
  for (const QChar c : ToQString(text)) {
    if (c.unicode() < 128) {
      QTest::keyClick(field, static_cast<char>(c.unicode()));
    } else {
      QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

// Radio buttons and check boxes take clicks on their indicator and text only.
void Click(QWidget& w, const char* name) {
  auto* b = Child<QAbstractButton>(w, name);
  const bool indicator = qobject_cast<QPushButton*>(b) == nullptr;
  QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

bool IsRed(QWidget* w) {
  return w->palette().color(QPalette::Base) == kRed || w->palette().color(QPalette::Window) == kRed;
}

std::string Text(QWidget& w, const char* name) { return FromQString(Child<QLabel>(w, name)->text()); }

}  // namespace

class EingContestStdTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void newLogChecksInOrderThenSaves() {
    Fixture f;
    TEingContestStd& w = f.Open(false, false);
    QCOMPARE(w.windowTitle(), QStringLiteral("\"Vuduzazav Izaz Eriredu\"  Contest-Konfiguration"));
    // Presets of a new log: automatic date and time, fixed reports, no clock.
    QVERIFY(Child<QCheckBox>(w, "eDatumAuto")->isChecked());
    QVERIFY(Child<QCheckBox>(w, "eZeitAuto")->isChecked());
    QVERIFY(Child<QCheckBox>(w, "eRSTsent")->isChecked());
    QVERIFY(Child<QCheckBox>(w, "eRSTrcvd")->isChecked());
    QVERIFY(!Child<QRadioButton>(w, "rUTC")->isChecked());
    QVERIFY(!Child<QRadioButton>(w, "rOrtszeit")->isChecked());
    QCOMPARE(Child<QLabel>(w, "lDOK")->text(), QStringLiteral("DOK"));

    // Each step fixes what the previous save refused.
    struct Step {
      std::function<void()> fix;
      std::optional<bool> answer;  // the DOK question
      std::string message;         // empty: the question was the refusal
      const char* red;
      bool typesIntoPreviousRed = true;
    } steps[] = {
        {[] {}, {}, "Eingabe eines Contest-Namens notwendig.", "eName"},
        {[&] { Type(w, "eName", "DEZ 2009"); }, {}, "Angabe der Postleitzahl und des Ortes notwendig.", "ePLZ"},
        {[&] {
           Type(w, "ePLZ", "48149");
           Type(w, "eOrt", "M\xFCnster");
         },
         false, "", "eDOK"},
        {[] {}, true, "Eingabe des Rufzeichens notwendig.", "eCall", false},
        {[&] { Type(w, "eCall", "dl1abc"); }, true, "Eingabe eines Contest-Datums notwendig.", "eDatumvon"},
        {[&] { Type(w, "eDatumvon", "0612"); }, true, "Eingabe eines Contest-Datums notwendig.", "eDatumbis"},
        {[&] { Type(w, "eDatumbis", "6.12"); }, true,
         "Es wurde nicht bestimmt, ob der Computer mit Ortszeit l\xE4uft.", "gbUhr"},
        {[&] { Click(w, "rUTC"); }, true, "Sie haben keine Teilnahmeart angegeben.", "gbTeilnahmeart"},
    };
    std::string previousRed;
    for (const Step& s : steps) {
      s.fix();
      if (!previousRed.empty() && s.typesIntoPreviousRed) {
        QVERIFY2(!IsRed(Child<QWidget>(w, previousRed.c_str())), previousRed.c_str());
      }
      f.platform.ClearRecord();
      if (s.answer) f.platform.AnswerNextQuestion(*s.answer);
      Click(w, "btnBeenden");
      QVERIFY2(w.isVisible(), s.red);
      if (s.answer) {
        QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
                 std::vector<std::string>{"Kein DOK angegeben. Trotzdem weiter?"});
      }
      QCOMPARE(f.LastInform(), s.message);
      QWidget* red = Child<QWidget>(w, s.red);
      QVERIFY2(IsRed(red), s.red);
      QVERIFY2(red == QApplication::focusWidget() || red->isAncestorOf(QApplication::focusWidget()), s.red);
      QCOMPARE(f.Directory().RecordCount(), 0);
      previousRed = s.red;
    }
    // The dates were completed when their fields were left.
    QCOMPARE(Child<TkxEdit>(w, "eDatumvon")->text(), QStringLiteral("06.12.2009"));
    QCOMPARE(Child<TkxEdit>(w, "eDatumbis")->text(), QStringLiteral("06.12.2009"));

    // Choosing the type of a new log stores nothing yet; "Beenden" saves it.
    Click(w, "rTeilnahme1");
    QCOMPARE(f.Directory().RecordCount(), 0);
    f.platform.ClearRecord();
    f.platform.AnswerNextQuestion(true);
    Click(w, "btnBeenden");
    QVERIFY(!w.isVisible());
    QVERIFY(!w.StartRequested());
    QCOMPARE(f.platform.UnexpectedQuestions(), 0);

    QCOMPARE(f.Directory().RecordCount(), 1);
    const ContestHeader h = f.StoredHeader();
    QCOMPARE(h.name(), std::string("DEZ 2009"));
    QCOMPARE(h.ownCall(), std::string("DL1ABC"));
    QCOMPARE(h.contestCode(), '3');
    QCOMPARE(h.startDate(), DayNumberFromCivil({2009, 12, 6}));
    QCOMPARE(h.endDate(), DayNumberFromCivil({2009, 12, 6}));
    QCOMPARE(h.participationType(), std::uint8_t{1});
    QCOMPARE(h.postcode(), std::string("48149"));
    QCOMPARE(h.dateAutomatic(), kHeaderByteOn);
    QCOMPARE(h.rstSentFree(), std::uint8_t{0});
    QCOMPARE(h.saveMark(), std::uint8_t{'D'});
    QCOMPARE(h.totalsInTotalsRecord(), kHeaderByteOn);
    // Both dates were typed; the times were not touched.
    QCOMPARE(h.manualDateFlags(), std::uint8_t{0x03});
    KeyString key;
    key.AppendLong(h.contestNumber());
    QVERIFY(f.session->totals().FindExact(1, key).ok());
    QCOMPARE(f.session->totals().RecordCount(), 1);
    QCOMPARE(f.session->settings().own.town, std::string("M\xFCnster"));
    QCOMPARE(f.session->settings().utcOffsetHours, 0);
    QCOMPARE(f.state.ownCall, std::string("DL1ABC"));
  }

  // The type's presets apply at once; a new log reaches the files only with
  // its first checked save, so "Abbrechen" leaves the directory as it was.
  void participationChangeReloadsPresetsAndStoresNothingYet() {
    Fixture f;
    TEingContestStd& w = f.Open(false, false);
    Click(w, "rTeilnahme2");  // SWL, with every required field empty
    QVERIFY(f.platform.ShownTexts().empty());
    QCOMPARE(f.session->rules().listenerLog, std::uint8_t{1});
    QVERIFY(!w.LogExists());
    // Only the contest's modes can start the log.
    QVERIFY(Child<QRadioButton>(w, "rCW")->isEnabled());
    QVERIFY(Child<QRadioButton>(w, "rSSB")->isEnabled());
    QVERIFY(!Child<QRadioButton>(w, "rFM")->isEnabled());
    QVERIFY(!Child<QRadioButton>(w, "rPR")->isEnabled());
    // This contest does not set the band by the clock: the box stays off.
    QVERIFY(!Child<QCheckBox>(w, "eBandAuto")->isEnabled());
    QVERIFY(!Child<QCheckBox>(w, "eBandAuto")->isChecked());
    Click(w, "rTeilnahme1");
    QCOMPARE(f.session->rules().listenerLog, std::uint8_t{0});
    Click(w, "btnAbbrechen");
    QVERIFY(!w.isVisible());
    QCOMPARE(f.Directory().RecordCount(), 0);
    QCOMPARE(f.session->totals().RecordCount(), 0);
  }

  // A header whose settings another program locked: the three "automatisch"
  // boxes are disabled, both RST boxes enabled.
  void lockedSettingsDisableTheAutomaticBoxes() {
    Fixture f;
    {
      TEingContestStd& first = f.Open(false, false);
      Type(first, "eName", "DEZ 2009");
      Type(first, "ePLZ", "48149");
      Type(first, "eDOK", "n05");
      Type(first, "eCall", "DL1ABC");
      Type(first, "eDatumvon", "06.12.2009");
      Type(first, "eDatumbis", "06.12.2009");
      Click(first, "rUTC");
      Click(first, "rTeilnahme1");
      Click(first, "btnBeenden");
      QCOMPARE(f.Directory().RecordCount(), 1);
    }
    ContestHeader stored = f.StoredHeader();
    stored.SetSettingsLocked(1);
    QVERIFY(f.Directory().UpdateRecord().ok());
    TEingContestStd& w = f.Open(true, false);
    for (const char* box : {"eDatumAuto", "eZeitAuto", "eBandAuto"}) QVERIFY2(!Child<QCheckBox>(w, box)->isEnabled(), box);
    for (const char* box : {"eRSTsent", "eRSTrcvd"}) QVERIFY2(Child<QCheckBox>(w, box)->isEnabled(), box);
  }

  void escapeAsksWhetherToKeepTheChanges() {
    {
      Fixture f;
      TEingContestStd& w = f.Open(false, false);
      Type(w, "eName", "Verworfen");
      f.platform.AnswerNextQuestion(false);
      QTest::keyClick(Child<QWidget>(w, "eName"), Qt::Key_Escape);
      QVERIFY(!w.isVisible());
      QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
               std::vector<std::string>{"\xC4nderungen \xFC" "bernehmen?"});
      QCOMPARE(f.Directory().RecordCount(), 0);
    }
    Fixture f;
    TEingContestStd& w = f.Open(false, false);
    // Yes saves as "Beenden" does: the checks still apply.
    f.platform.AnswerNextQuestion(true);
    QTest::keyClick(Child<QWidget>(w, "eName"), Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QCOMPARE(f.LastInform(), std::string("Eingabe eines Contest-Namens notwendig."));
    // "Abbrechen" leaves without a word.
    f.platform.ClearRecord();
    Click(w, "btnAbbrechen");
    QVERIFY(!w.isVisible());
    QVERIFY(f.platform.ShownTexts().empty());
    QCOMPARE(f.Directory().RecordCount(), 0);
  }

  // The window fits a 1024-pixel screen with room for the window frame.
  void fitsA1024PixelScreen() {
    for (const bool evaluationOnly : {false, true}) {
      Fixture f;
      TEingContestStd& w = f.Open(evaluationOnly, evaluationOnly);
      QVERIFY(w.minimumSizeHint().width() <= 960);
      QVERIFY(w.minimumSizeHint().height() <= 700);
    }
  }

  void helpButtonAndF1OpenTheWindowsSection() {
    for (const bool evaluationOnly : {false, true}) {
      Fixture f;
      TEingContestStd& w = f.Open(evaluationOnly, evaluationOnly);
      Click(w, "btnHilfe");
      QTest::keyClick(Child<QWidget>(w, "eName"), Qt::Key_F1);
      const auto& requests = f.platform.HelpRequests();
      QCOMPARE(requests.size(), std::size_t{2});
      // Before the contest the configuration, after it the outputs.
      const int expected = evaluationOnly ? 310110040 : 310110020;
      for (const auto& r : requests) {
        QCOMPARE(r.contextNumber, expected);
        QCOMPARE(r.file.filename().string(), std::string("korvcont.html"));
      }
      QVERIFY(w.isVisible());
    }
  }

  void existingLogShowsItsChoicesTotalsAndOutputs() {
    Fixture f;
    // A stored log with its totals, made through the window first.
    {
      TEingContestStd& w = f.Open(false, false);
      Type(w, "eName", "DEZ 2009");
      Type(w, "ePLZ", "48149");
      Type(w, "eDOK", "n05");
      Type(w, "eCall", "DL1ABC/P");
      Type(w, "eDatumvon", "06.12.2009");
      Type(w, "eDatumbis", "06.12.2009");
      Click(w, "rOrtszeit");
      Click(w, "rSSB");
      Click(w, "rTeilnahme1");
      Click(w, "btnStart");
      QVERIFY(!w.isVisible());
      QVERIFY(w.StartRequested());
    }
    QCOMPARE(f.session->settings().utcOffsetHours, -2);
    const ContestHeader h = f.StoredHeader();
    QCOMPARE(h.dok(), std::string("N05"));
    QCOMPARE(h.startModeSsb(), kHeaderByteOn);
    FileBlock& totals = f.session->totals();
    QVERIFY(EnsureTotalsRecord(totals, h.contestNumber()).ok());
    auto tr = TotalsRecord::Over(totals.Record());
    tr->SetQsoCount(1, 12);
    tr->SetMultiplierCount(1, 4);
    tr->SetPoints(1, 30);
    tr->SetQsoCount(3, 2);
    tr->SetPoints(3, 2);
    QVERIFY(totals.UpdateRecord().ok());

    for (bool evaluationOnly : {false, true}) {
      f.StoredHeader();  // the list read it into the buffer
      TEingContestStd& w = f.Open(true, evaluationOnly);
      QCOMPARE(Child<TkxEdit>(w, "eName")->text(), QStringLiteral("DEZ 2009"));
      QVERIFY(Child<QRadioButton>(w, "rTeilnahme1")->isChecked());
      QVERIFY(!Child<QGroupBox>(w, "gbTeilnahmeart")->isEnabled());
      QVERIFY(Child<QRadioButton>(w, "rOrtszeit")->isChecked());
      QVERIFY(Child<QRadioButton>(w, "rSSB")->isChecked());
      QCOMPARE(Text(w, "lQSO1"), std::string("   12"));
      QCOMPARE(Text(w, "lQSO3"), std::string("    2"));
      QVERIFY(!Child<QLabel>(w, "lQSO4")->isVisible());
      QCOMPARE(Text(w, "lMulti1"), std::string("    4"));
      QCOMPARE(Text(w, "lTotalQSO"), std::string("14 QSO"));
      QCOMPARE(Text(w, "lTotalMulti"), std::string("4 Multi x"));
      QCOMPARE(Text(w, "lTotalPunkte"), std::string("32 Punkte ="));
      QCOMPARE(Text(w, "lErgebnis"), std::string("128 Pkt."));
      QVERIFY(Child<QLabel>(w, "lErgebnis")->font().bold());
      QCOMPARE(Child<QPushButton>(w, "btnStart")->isVisible(), !evaluationOnly);
      QCOMPARE(Child<QPushButton>(w, "btnAbbrechen")->isVisible(), !evaluationOnly);
      QCOMPARE(Child<QPushButton>(w, "btnBeenden")->isDefault(), evaluationOnly);
      QCOMPARE(w.windowTitle(), evaluationOnly
                                    ? QStringLiteral("\"Vuduzazav Izaz Eriredu\"")
                                    : QStringLiteral("\"Vuduzazav Izaz Eriredu\"  Contest-Konfiguration"));
    }

    // The output menu: the address is incomplete, which is said but not refused.
    TEingContestStd& w = *f.window;
    f.platform.ClearRecord();
    Click(w, "btnDrucken");
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kInform),
             std::vector<std::string>{"Die Adress-Angaben sind nicht vollst\xE4ndig."});
    QMenu* menu = w.OutputMenu();
    QTRY_VERIFY(menu->isVisible());
    QStringList enabled;
    QStringList all;
    for (QAction* a : menu->actions()) {
      all << a->text();
      if (a->isEnabled()) enabled << a->text();
    }
    QCOMPARE(all.size(), 15);
    QCOMPARE(all[1], QStringLiteral("EDI-Datei"));
    QCOMPARE(enabled, (QStringList{"STF-Datei (empfohlen)", "E-Log Gesamtdatei", "E-Log Deckblatt",
                                   "E-Log QSO-Liste", "ADIF- Exportdatei der QSO-Liste",
                                   "CSV- Exportdatei der QSO-Liste", "Papierlog - Deckblatt",
                                   "Papierlog - QSO-Liste"}));
    // A click on "E-Log Deckblatt" writes the cover sheet where the dialog says.
    const std::filesystem::path target = f.dir / "DL1ABC_P.SUM";
    f.platform.ClearRecord();
    // Half past midnight on the computer, which runs on local time two hours
    // ahead of UTC: the sheet is dated with the computer's day, as korvtool
    // dates it.
    f.platform.SetNow({DayNumberFromCivil({2010, 1, 1}), 30 * 60});
    f.platform.AnswerNextFileDialog(target);
    QAction* cover = menu->actions()[3];
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(cover).center());
    QTRY_VERIFY(std::filesystem::exists(target));
    QCOMPARE(f.platform.FileDialogs().at(0).proposedName, std::string("DL1ABC_P.SUM"));
    QCOMPARE(f.shownFiles, std::vector<std::filesystem::path>{target});
    const auto bytes = testing::ReadAll(target);
    const std::string text(bytes.begin(), bytes.end());
    QVERIFY(text.find("Endergebnis:  32 Punkte x 4 Multi = 128 Punkte") != std::string::npos);
    QVERIFY(text.find("01.01.2010") != std::string::npos);
    QVERIFY(text.find("31.12.2009") == std::string::npos);
    QVERIFY(w.isVisible());

    // "Papierlog - Deckblatt" prints the same sheet in one job.
    f.platform.ClearRecord();
    Click(w, "btnDrucken");
    QTRY_VERIFY(menu->isVisible());
    QAction* paperCover = menu->actions()[11];
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(paperCover).center());
    QTRY_COMPARE(f.platform.PrintJobs().size(), std::size_t{1});
    const auto& job = f.platform.PrintJobs()[0];
    QVERIFY(job.ended);
    QVERIFY(std::any_of(job.texts.begin(), job.texts.end(), [](const auto& t) {
      return t.text.find("Endergebnis:  32 Punkte x 4 Multi = 128 Punkte") != std::string::npos;
    }));

    Click(w, "btnRegeln");
    QCOMPARE(f.rulesShown, std::vector<ContestCode>{'3'});
  }
};

QTEST_MAIN(EingContestStdTest)
#include "eing_contest_std_test.moc"
