// The main window's contest list over a real data directory: the rows it
// shows, "Neu", "Starten" (button, Enter, F10, double click), the hidden
// "Start [F10]" and "Löschen" driven with clicks and keys; the windows the
// list opens are the real configuration window or recording stand-ins.
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <memory>

#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "output/ui/eing_contest_std.h"
#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"
#include "shell/contest_directory.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/contest_list.h"
#include "support/test_support.h"

using namespace korv;

namespace {

struct OpenedConfiguration {
  bool logExists;
  bool evaluationOnly;
  ContestCode code;
  std::int32_t currentNumber;  // the header in the directory's buffer
  friend bool operator==(const OpenedConfiguration&, const OpenedConfiguration&) = default;
};

struct Fixture {
  ScriptedPlatform platform;
  ProgramState state;
  testing::RecordingFatalHandler fatal;
  std::filesystem::path dir = testing::MakeTempDir("contest-list");
  std::unique_ptr<ProgramSession> session;
  std::unique_ptr<TContestBrow> window;
  std::unique_ptr<ContestList> list;
  // Recording stand-ins: the configuration window answers from `starts`.
  std::vector<OpenedConfiguration> configurations;
  std::deque<bool> starts;
  std::vector<std::pair<std::int32_t, std::string>> loggings;  // number, contest name of the rules copy
  std::function<void()> duringLogging;
  bool realConfiguration = false;
  // Actions for the real configuration window, one per opening.
  std::deque<std::function<void(TEingContestStd&)>> modalScript;

  Fixture() {
    SessionOptions options;
    options.dataDirectory = dir;
    options.countryFile.clear();
    options.fatalHandler = &fatal;
    session = std::make_unique<ProgramSession>(platform, state, options);
    if (session->Start() != ProgramSession::StartResult::kOk) qFatal("session did not start");
    platform.ClearRecord();
  }
  ~Fixture() {
    list.reset();
    window.reset();
    session->Stop();
    std::filesystem::remove_all(dir);
  }
  FileBlock& Directory() { return session->contestDirectory(); }

  std::int32_t AddLog(const char* name, DayNumber start, ContestCode code = '3') {
    FileBlock& d = Directory();
    d.ClearRecordBuffer();
    ContestHeader h = *ContestHeader::Over(d.Record());
    h.MarkCreated();
    h.SetContestCode(code);
    h.SetName(name);
    h.SetStartDate(start);
    h.SetEndDate(start);
    h.SetParticipationType(1);
    if (!d.InsertRecord().ok()) qFatal("insert failed");
    const std::int32_t number = ContestHeader::Over(d.Record())->contestNumber();
    FileBlock* qso = session->catalogue().OpenQsoFile(number);
    if (qso == nullptr || qso->RecordCount() != 0) qFatal("no QSO file");  // the count creates its files
    session->catalogue().ReleaseQsoFile(number);
    return number;
  }

  TContestBrow& Open() {
    MainWindowSetup setup;
    setup.screenWidth = 1280;
    window = std::make_unique<TContestBrow>(platform, state, setup);
    ContestListHooks hooks;
    hooks.openConfiguration = [this](bool exists, bool evaluationOnly, ContestCode code) {
      configurations.push_back(
          {exists, evaluationOnly, code, ContestHeader::Over(Directory().Record())->contestNumber()});
      if (realConfiguration) return RunRealConfiguration(exists, evaluationOnly, code);
      if (starts.empty()) return false;
      const bool start = starts.front();
      starts.pop_front();
      return start;
    };
    hooks.openLogging = [this](std::int32_t number, const ContestRules& rules) {
      loggings.emplace_back(number, rules.contestName);
      if (duringLogging) duringLogging();
    };
    list = std::make_unique<ContestList>(platform, *session, state, *window, hooks);
    window->resize(1200, 800);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("main window not active");
    return *window;
  }

  bool RunRealConfiguration(bool exists, bool evaluationOnly, ContestCode code) {
    ConfigurationSetup setup;
    TEingContestStd dialog(platform, *session, state, setup, window.get());
    if (!modalScript.empty()) {
      auto action = std::move(modalScript.front());
      modalScript.pop_front();
      QTimer::singleShot(0, &dialog, [&dialog, action] {
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog)) qWarning("dialog not active");
        action(dialog);
      });
    }
    return dialog.Open(exists, evaluationOnly, code);
  }

  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const BrowserRow& r : window->Brow()->Browser().Rows()) rows.push_back(r.text);
    return rows;
  }
  std::string SelectedName() {
    const auto& b = window->Brow()->Browser();
    if (b.SelectedRow() == 0) return "<none>";
    const std::string& row = b.Rows()[static_cast<std::size_t>(b.SelectedRow() - 1)].text;
    return row.substr(1, row.find(';') - 1);
  }
};

void TypeInto(QWidget& w, const char* name, const char* text) {
  auto* field = w.findChild<TkxEdit*>(QString::fromLatin1(name));
  QVERIFY2(field != nullptr, name);
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClicks(field, QString::fromLatin1(text));
}

void ClickButton(QWidget& w, const char* name) {
  auto* b = w.findChild<QAbstractButton*>(QString::fromLatin1(name));
  QVERIFY2(b != nullptr, name);
  const bool indicator = qobject_cast<QPushButton*>(b) == nullptr;
  QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

void Key(Qt::Key key) {
  QWidget* target = QApplication::focusWidget();
  QVERIFY(target != nullptr);
  QTest::keyClick(target, key);
}

std::string Describe(const std::vector<OpenedConfiguration>& opened) {
  std::string text;
  for (const OpenedConfiguration& o : opened) {
    text += "{" + std::to_string(o.logExists) + "," + std::to_string(o.evaluationOnly) + "," + o.code + "," +
            std::to_string(o.currentNumber) + "}";
  }
  return text.empty() ? "none" : text;
}

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

}  // namespace

class ContestListTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The first start: "Neu" runs by itself, the log is created through the
  // configuration window, the logging window opens for it, and the list shows it.
  void firstStartCreatesALogThroughTheWindows() {
    Fixture f;
    f.realConfiguration = true;
    f.modalScript.push_back([&f](TEingContestStd& d) {
      TypeInto(d, "eName", "DEZ 2009");
      TypeInto(d, "ePLZ", "48149");
      TypeInto(d, "eDOK", "N05");
      TypeInto(d, "eCall", "DL1ABC");
      TypeInto(d, "eDatumvon", "6.12.09");
      TypeInto(d, "eDatumbis", "06.12.2009");
      ClickButton(d, "rUTC");
      ClickButton(d, "rTeilnahme1");
      f.platform.ClearRecord();
      ClickButton(d, "btnStart");
    });
    // After the logging window, as after every start: the evaluation of the
    // new log.
    std::string evaluatedName;
    f.modalScript.push_back([&evaluatedName](TEingContestStd& d) {
      evaluatedName = d.findChild<TkxEdit*>(QStringLiteral("eName"))->text().toStdString();
      ClickButton(d, "btnBeenden");
    });
    f.Open();
    f.list->NewWhenDirectoryEmpty();
    QVERIFY(f.modalScript.empty());
    QCOMPARE(f.configurations.size(), std::size_t{2});
    QCOMPARE(f.configurations[0], (OpenedConfiguration{false, false, '3', 0}));
    QCOMPARE(f.configurations[1].logExists, true);
    QCOMPARE(f.configurations[1].evaluationOnly, true);
    QCOMPARE(evaluatedName, std::string("DEZ 2009"));

    QCOMPARE(f.Directory().RecordCount(), 1);
    QVERIFY(f.Directory().MoveFirst(3).ok());
    const ContestHeader h = *ContestHeader::Over(f.Directory().Record());
    QCOMPARE(h.name(), std::string("DEZ 2009"));
    QCOMPARE(h.startDate(), Day(2009, 12, 6));
    KeyString key;
    key.AppendLong(h.contestNumber());
    QVERIFY(f.session->totals().FindExact(1, key).ok());
    QCOMPARE(f.loggings, (std::vector<std::pair<std::int32_t, std::string>>{{h.contestNumber(), "DEZ"}}));
    QCOMPARE(f.Rows(), std::vector<std::string>{" DEZ 2009 ;06.12.2009   ;06.12.2009   "});
    QTableWidget* grid = f.window->Brow()->Grid();
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral(" DEZ 2009 "));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("lCall"))->text(), QStringLiteral("DL1ABC"));
    QCOMPARE(f.platform.UnexpectedQuestions(), 0);
  }

  void neuAsksForTheVersionAndCancelCreatesNothing() {
    Fixture f;
    f.AddLog("Alt", Day(2008, 12, 7));
    f.realConfiguration = true;
    f.modalScript.push_back([](TEingContestStd& d) { ClickButton(d, "btnAbbrechen"); });
    TContestBrow& w = f.Open();
    f.list->NewWhenDirectoryEmpty();  // not empty: nothing happens
    QVERIFY(f.configurations.empty());
    QVERIFY(f.platform.ShownTexts().empty());
    QTest::mouseClick(w.btnNeu(), Qt::LeftButton);
    const auto informs = f.platform.TextsOf(ScriptedPlatform::Kind::kInform);
    QCOMPARE(informs.size(), std::size_t{1});
    QVERIFY(informs[0].find("neuere Version") != std::string::npos);
    QCOMPARE(f.configurations.size(), std::size_t{1});
    QCOMPARE(f.Directory().RecordCount(), 1);
    QVERIFY(f.loggings.empty());
    QCOMPARE(f.Rows().size(), std::size_t{1});
  }

  void listShowsTheActiveCodeInBothOrders() {
    Fixture f;
    f.AddLog("Zweiter", Day(2009, 12, 6));
    f.AddLog("Erster", Day(2010, 12, 5));
    f.AddLog("Zweiter", Day(2008, 12, 7));
    f.AddLog("Ohne Datum", 0);
    f.AddLog("Anderer", Day(2009, 1, 1), '5');
    f.Open();
    f.list->NewWhenDirectoryEmpty();  // logs of other codes count: no "Neu"
    QVERIFY(f.configurations.empty());
    const std::string blank(13, ' ');
    QCOMPARE(f.Rows(), (std::vector<std::string>{
                           " Erster ;05.12.2010   ;05.12.2010   ",
                           " Ohne Datum ;" + blank + ";" + blank,
                           " Zweiter ;06.12.2009   ;06.12.2009   ",
                           " Zweiter ;07.12.2008   ;07.12.2008   ",
                       }));
    // The log that starts last is selected at start.
    QCOMPARE(f.SelectedName(), std::string("Erster "));
    QCOMPARE(f.window->Brow()->Browser().SortNames(), (std::vector<std::string>{"Name", "Datum"}));
    QVERIFY(f.window->Brow()->Browser().SelectOrder(1));
    QCOMPARE(f.Rows(), (std::vector<std::string>{
                           " " + blank + ";Ohne Datum ;" + blank,
                           " 07.12.2008   ;Zweiter ;07.12.2008   ",
                           " 06.12.2009   ;Zweiter ;06.12.2009   ",
                           " 05.12.2010   ;Erster ;05.12.2010   ",
                       }));
    QCOMPARE(f.window->Brow()->Browser().OrderCaption(), std::string("Datum"));
    QCOMPARE(f.window->Brow()->Browser().HeaderColumns().at(0), std::string(" Datum (von)  "));
  }

  // Names are Windows-1252 as typed: shown as they are, not read as the DOS
  // code page; the typed quick search finds a name.
  void namesAreShownAsTypedAndFoundByTheQuickSearch() {
    Fixture f;
    f.AddLog("Caf\xE1 \x84Nord\x93", Day(2009, 12, 6));
    f.AddLog("UKW 2008", Day(2008, 12, 7));
    f.AddLog("DEZ 2010", Day(2010, 12, 5));
    f.Open();
    QTableWidget* grid = f.window->Brow()->Grid();
    QCOMPARE(grid->item(0, 0)->text(), QString::fromUtf8(" Caf\u00E1 \u201ENord\u201C "));
    QTest::keyClicks(f.window->Brow()->QuickSearchField(), "uk");
    QCOMPARE(f.SelectedName(), std::string("UKW 2008 "));
    f.window->Brow()->QuickSearchField()->clear();
    QTest::keyClicks(f.window->Brow()->QuickSearchField(), "DE");
    QCOMPARE(f.SelectedName(), std::string("DEZ 2010 "));
  }

  // Enter, F10, the button and a double click all start the selected log:
  // configuration, logging window, then the evaluation.
  void everyWayOfStartingRunsTheSameFlow() {
    const char* ways[] = {"Enter", "F10", "button", "double click"};
    for (const char* way : ways) {
      Fixture f;
      const std::int32_t first = f.AddLog("Erster", Day(2009, 12, 6));
      const std::int32_t second = f.AddLog("Zweiter", Day(2008, 12, 7));
      TContestBrow& w = f.Open();
      f.window->Brow()->Browser().FirstRow();  // "Erster"
      f.starts = {true};
      const std::string w1(way);
      if (w1 == "Enter") {
        Key(Qt::Key_Return);
      } else if (w1 == "F10") {
        Key(Qt::Key_F10);
      } else if (w1 == "button") {
        QTest::mouseClick(w.btnStarten(), Qt::LeftButton);
      } else {
        QTableWidget* grid = f.window->Brow()->Grid();
        const QPoint at = grid->visualRect(grid->model()->index(0, 0)).center();
        // A real double click: press and release, then the double-click event.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
      }
      const std::vector<OpenedConfiguration> expected{{true, false, '3', first}, {true, true, '3', first}};
      QVERIFY2(f.configurations == expected, (w1 + ": " + Describe(f.configurations)).c_str());
      QCOMPARE(f.loggings, (std::vector<std::pair<std::int32_t, std::string>>{{first, "DEZ"}}));
      // Each started log has its totals record.
      KeyString key;
      key.AppendLong(first);
      QVERIFY2(f.session->totals().FindExact(1, key).ok(), way);
      key.clear();
      key.AppendLong(second);
      QVERIFY2(!f.session->totals().FindExact(1, key).ok(), way);
      QCOMPARE(f.session->totals().RecordCount(), 1);
      QCOMPARE(f.SelectedName(), std::string("Erster "));
    }
  }

  void configurationLeftWithoutStartOpensNoLoggingWindow() {
    Fixture f;
    f.AddLog("Erster", Day(2009, 12, 6));
    TContestBrow& w = f.Open();
    f.starts = {false};
    QTest::mouseClick(w.btnStarten(), Qt::LeftButton);
    QCOMPARE(f.configurations.size(), std::size_t{1});
    QVERIFY(f.loggings.empty());
    // A second start keeps the one totals record.
    f.starts = {false};
    QTest::mouseClick(w.btnStarten(), Qt::LeftButton);
    QCOMPARE(f.session->totals().RecordCount(), 1);
  }

  void loggingWindowChangesAreWrittenToTheLogsOwnRecords() {
    Fixture f;
    const std::int32_t first = f.AddLog("Erster", Day(2009, 12, 6));
    f.AddLog("Zweiter", Day(2008, 12, 7));
    TContestBrow& w = f.Open();
    f.window->Brow()->Browser().FirstRow();
    f.duringLogging = [&f, first] {
      // The note window stores its place in the header buffer.
      ContestHeader::Over(f.Directory().Record())->SetNoteWidth(300);
      // Something looked up the other log's totals record meanwhile.
      (void)EnsureTotalsRecord(f.session->totals(), first + 1);
    };
    f.starts = {true};
    QTest::mouseClick(w.btnStarten(), Qt::LeftButton);
    KeyString key;
    key.AppendLong(first);
    QVERIFY(f.Directory().FindExact(3, key).ok());
    QCOMPARE(ContestHeader::Over(f.Directory().Record())->noteWidth(), std::int16_t{300});
    QCOMPARE(ContestHeader::Over(f.Directory().Record())->name(), std::string("Erster"));
    key.clear();
    key.AppendLong(first + 1);
    QVERIFY(f.Directory().FindExact(3, key).ok());
    QCOMPARE(ContestHeader::Over(f.Directory().Record())->name(), std::string("Zweiter"));
    QCOMPARE(ContestHeader::Over(f.Directory().Record())->noteWidth(), std::int16_t{0});
  }

  void loeschenRemovesTheWholeLogAfterTheQuestion() {
    Fixture f;
    f.AddLog("Erster", Day(2009, 12, 6));
    const std::int32_t second = f.AddLog("Zweiter", Day(2010, 12, 7));
    f.AddLog("Dritter", Day(2008, 12, 7));
    TContestBrow& w = f.Open();
    QCOMPARE(f.SelectedName(), std::string("Zweiter "));
    const std::filesystem::path qsoData = f.dir / (QsoFileName(second) + ".DAT");
    QVERIFY(std::filesystem::exists(qsoData));

    f.platform.AnswerNextQuestion(false);
    QTest::mouseClick(w.btnLoeschen(), Qt::LeftButton);
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
             std::vector<std::string>{"Eintrag Zweiter l\xF6schen?"});
    QCOMPARE(f.platform.DestroyingQuestions(), std::vector<std::string>{"Eintrag Zweiter l\xF6schen?"});
    QCOMPARE(f.Directory().RecordCount(), 3);
    QCOMPARE(f.session->totals().RecordCount(), 1);  // the question comes after the totals record

    f.platform.ClearRecord();
    f.platform.AnswerNextQuestion(true);
    QTest::mouseClick(w.btnLoeschen(), Qt::LeftButton);
    QCOMPARE(f.Directory().RecordCount(), 2);
    QCOMPARE(f.session->totals().RecordCount(), 0);
    QVERIFY(!std::filesystem::exists(qsoData));
    QVERIFY(!std::filesystem::exists(f.dir / (QsoFileName(second) + ".IX")));
    QCOMPARE(f.Rows().size(), std::size_t{2});
    QCOMPARE(f.platform.UnexpectedQuestions(), 0);

    // The Delete key in the list runs the same deletion, with the same question.
    f.platform.ClearRecord();
    f.window->Brow()->Browser().FirstRow();  // "Dritter"
    f.platform.AnswerNextQuestion(true);
    QTest::keyClick(f.window->Brow()->Grid(), Qt::Key_Delete);
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
             std::vector<std::string>{"Eintrag Dritter l\xF6schen?"});
    QCOMPARE(f.Rows(), std::vector<std::string>{" Erster ;06.12.2009   ;06.12.2009   "});

    // A new log may take the freed highest number and starts with an empty QSO file.
    f.platform.ClearRecord();
    f.AddLog("Neu", Day(2011, 1, 1));
    QCOMPARE(f.Directory().RecordCount(), 2);
  }

  void emptyListRefusesToStartOrDelete() {
    Fixture f;
    f.AddLog("Anderer", Day(2009, 1, 1), '5');
    TContestBrow& w = f.Open();
    QVERIFY(f.Rows().empty());
    QTest::mouseClick(w.btnStarten(), Qt::LeftButton);
    QTest::mouseClick(w.btnLoeschen(), Qt::LeftButton);
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kInform),
             (std::vector<std::string>{"Datensatz konnte nicht gelesen werden",
                                       "Datensatz konnte nicht gelesen werden"}));
    QVERIFY(f.configurations.empty());
    QCOMPARE(f.Directory().RecordCount(), 1);
  }
};

QTEST_MAIN(ContestListTest)
#include "contest_list_test.moc"
