// The whole program on an empty data directory, wired as the program entry
// wires it: the automatic "Neu", the configuration window's checks, the
// logging window typed into with real keys, its note and further-programs
// windows, the evaluation afterwards and "Löschen". Message boxes go to the
// scripted platform; the results are read back from the files.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "common/dates.h"
#include "common/text.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "files/catalogue.h"
#include "files/contest_header.h"
#include "logging/qso_record.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "output/ui/eing_contest_std.h"
#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"
#include "shell/contest_note.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/contest_list.h"
#include "shell/ui/note_window.h"
#include "shell/ui/program_windows.h"
#include "shell/ui/programs_window.h"
#include "support/test_support.h"

using namespace korv;
using Kind = ScriptedPlatform::Kind;

namespace {

constexpr const char* kCountryFile =
    "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB DC DD DE DF DG DH DI DJ DK DL DM DN DO DP DQ DR;\n";

// The program as its entry builds it, on a fresh data directory.
struct Program {
  ScriptedPlatform platform;
  ProgramState state;
  korv::testing::RecordingFatalHandler fatal;
  std::filesystem::path dir = korv::testing::MakeTempDir("walk");
  std::unique_ptr<ProgramSession> session;
  std::unique_ptr<TContestBrow> window;
  std::unique_ptr<ContestList> list;

  Program() {
    korv::testing::WriteAll(dir / "cty.csv", std::vector<std::uint8_t>(kCountryFile, kCountryFile + std::strlen(kCountryFile)));
    SessionOptions options;
    options.dataDirectory = dir;
    options.countryFile = dir / "cty.csv";
    options.fatalHandler = &fatal;
    session = std::make_unique<ProgramSession>(platform, state, options);
    if (session->Start() != ProgramSession::StartResult::kOk) qFatal("session did not start");
    MainWindowSetup setup;
    setup.screenWidth = 1280;
    window = std::make_unique<TContestBrow>(platform, state, setup);
    ProgramWindowsSetup windows;
    windows.dataDirectory = dir;
    list = std::make_unique<ContestList>(platform, *session, state, *window,
                                         WireProgramWindows(platform, *session, state, *window, windows));
    window->resize(1200, 800);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("main window not active");
  }
  ~Program() {
    list.reset();
    window.reset();
    session->Stop();
    std::filesystem::remove_all(dir);
  }

  // The log's header as the contest directory holds it.
  std::vector<std::uint8_t> StoredHeader(std::int32_t number) {
    FileBlock& d = session->contestDirectory();
    KeyString key;
    key.AppendLong(number);
    if (!d.FindExact(3, key).ok()) return {};
    return {d.Record().begin(), d.Record().end()};
  }
};

ContestHeader HeaderOf(std::vector<std::uint8_t>& bytes) {
  return ContestHeader(ContestHeader::Record(bytes.data(), kContestHeaderSize));
}

QWidget* Focus() { return QApplication::focusWidget(); }
void Type(const char* text) { QTest::keyClicks(Focus(), QString::fromLatin1(text)); }
void Key(Qt::Key key) { QTest::keyClick(Focus(), key); }
// After a modal window the offscreen platform leaves no window active.
void Reactivate(QWidget& window, QWidget* field) {
  QApplication::setActiveWindow(&window);
  (void)QTest::qWaitForWindowActive(&window);
  field->setFocus();
}

void TypeInto(QWidget& w, const char* name, const char* text) {
  auto* field = w.findChild<TkxEdit*>(QString::fromLatin1(name));
  QVERIFY2(field != nullptr, name);
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClicks(field, QString::fromLatin1(text));
}

void Click(QWidget& w, const char* name) {
  auto* b = w.findChild<QAbstractButton*>(QString::fromLatin1(name));
  QVERIFY2(b != nullptr, name);
  const bool indicator = qobject_cast<QPushButton*>(b) == nullptr;
  QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

QString LabelText(QWidget& w, const char* name) {
  auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
  return l == nullptr ? QStringLiteral("<no %1>").arg(QString::fromLatin1(name)) : l->text();
}

// Runs `action` once the modal window `name` (and, when given, `title`) is
// up. A modal window the action leaves open is closed, so a failed check
// cannot leave the test waiting.
void WhenModal(const char* name, std::function<void(QWidget&)> action, QString title = {}) {
  QTimer::singleShot(10, [name, action, title] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != QLatin1String(name) || !modal->isVisible() ||
        (!title.isEmpty() && modal->windowTitle() != title)) {
      WhenModal(name, action, title);
      return;
    }
    QApplication::setActiveWindow(modal);
    (void)QTest::qWaitForWindowActive(modal);
    action(*modal);
    if (QApplication::activeModalWidget() == modal && modal->isVisible()) modal->close();
  });
}

// One step of the empty configuration form: the message the save shows, and
// what the operator fills in so that the next save gets further.
struct FormStep {
  Kind kind;
  const char* message;
  const char* field;  // an edit field, or a button to click when value is null
  const char* value;
};

// A typed QSO and the points the contest's rule gives its call.
struct TypedQso {
  const char* call;
  const char* dok;
  int points;
};

}  // namespace

class ProgramWalkTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void firstStartFromNeuToTheEvaluationAndLoeschen() {
    Program p;
    QVERIFY(p.platform.TextsOf(Kind::kWarn).empty());  // the prefix table was filled
    p.platform.ClearRecord();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { qFatal("the walk got stuck in a window"); });
    watchdog.start(120000);

    // The checks of an empty form, in their order. The DOK question is
    // answered No, which stops the save like a message.
    const std::vector<FormStep> form = {
        {Kind::kInform, "Eingabe eines Contest-Namens notwendig.", "eName", "DEZ: 2009!"},
        {Kind::kInform, "Angabe der Postleitzahl und des Ortes notwendig.", "ePLZ", "48149"},
        {Kind::kQuestion, "Kein DOK angegeben. Trotzdem weiter?", "eDOK", "N05"},
        {Kind::kInform, "Eingabe des Rufzeichens notwendig.", "eCall", "DL1XYZ"},
        {Kind::kInform, "Eingabe eines Contest-Datums notwendig.", "eDatumvon", "15.06.2009"},
        {Kind::kInform, "Eingabe eines Contest-Datums notwendig.", "eDatumbis", "15.06.2009"},
        {Kind::kInform, "Es wurde nicht bestimmt, ob der Computer mit Ortszeit l\xE4uft.", "rUTC", nullptr},
        {Kind::kInform, "Sie haben keine Teilnahmeart angegeben.", "rTeilnahme1", nullptr},
    };
    // Club stations (D, one of A C F K L N O, then 0) score 5, other calls 1;
    // both DOKs are N + two digits and count once each on the band.
    const std::vector<TypedQso> qsos = {{"DL1ABC", "N01", 1}, {"DF0ABC", "N05", 5}};
    int points = 0;
    for (const TypedQso& q : qsos) points += q.points;
    const int multipliers = static_cast<int>(qsos.size());
    const std::string expectedScore = std::to_string(points * multipliers) + " Pkt.";
    const std::filesystem::path note = p.dir / "DEZ 2009.TXT";
    const LocalDateTime now = p.platform.Now();
    const std::string stamp = DateToText(now.date, "dd.mm.yyyy") + " " + TimeToText(now.time, "hh:mm:ss") + " ";

    int evaluations = 0;
    std::int32_t number = 0;
    std::vector<std::string> shownInForm;
    WhenModal("TEingContestStd", [&](QWidget& d) {
      p.platform.ClearRecord();
      p.platform.AnswerNextQuestion(false);
      for (const FormStep& step : form) {
        Click(d, "btnStart");
        const auto& shown = p.platform.ShownTexts();
        QVERIFY2(!shown.empty(), step.message);
        shownInForm.push_back(shown.back().text);
        QCOMPARE(static_cast<int>(shown.back().kind), static_cast<int>(step.kind));
        if (step.value != nullptr) {
          TypeInto(d, step.field, step.value);
        } else {
          Click(d, step.field);
        }
      }
      p.platform.ClearRecord();
      WhenModal("TContestLogStd", [&](QWidget& w) {
        auto& log = static_cast<TContestLogStd&>(w);
        number = log.Session().contestNumber();
        QCOMPARE(Focus(), static_cast<QWidget*>(log.Entry()->Field(EntryField::kCall)));
        // First QSO: call, Enter, DOK, Enter.
        Type(qsos[0].call);
        Key(Qt::Key_Return);
        Type(qsos[0].dok);
        Key(Qt::Key_Return);
        // The second call is typed, then the note is opened (F6).
        Type(qsos[1].call);
        WhenModal("TContestNotiz", [&](QWidget& n) {
          QCOMPARE(n.windowTitle(), QStringLiteral("DEZ 2009.TXT"));
          auto* edit = n.findChild<QPlainTextEdit*>(QStringLiteral("redit"));
          QVERIFY(edit != nullptr);
          const std::string header = stamp + PadText(qsos[1].call, 10) + " > ";
          QCOMPARE(FromQString(edit->toPlainText()), header);
          QCOMPARE(edit->textCursor().position(), static_cast<int>(header.size()));
          QCOMPARE(n.size(), QSize(TContestNotiz::kFormWidth, TContestNotiz::kFormHeight));
          n.move(40, 50);
          n.resize(500, 300);
          QTest::keyClicks(edit, QStringLiteral("QRM auf 80m"));
          QTest::keyClick(edit, Qt::Key_Escape);
          QVERIFY(!n.isVisible());
        });
        Key(Qt::Key_F6);
        Reactivate(log, log.Entry()->Field(EntryField::kCall));
        QCOMPARE(FromQString(log.Entry()->Field(EntryField::kCall)->text()), std::string(qsos[1].call));
        {
          auto stored = p.StoredHeader(number);
          QVERIFY(!stored.empty());
          const ContestHeader h = HeaderOf(stored);
          QCOMPARE((std::array<int, 4>{h.noteLeft(), h.noteTop(), h.noteWidth(), h.noteHeight()}),
                   (std::array<int, 4>{40, 50, 500, 300}));
        }
        Key(Qt::Key_Return);
        Type(qsos[1].dok);
        Key(Qt::Key_Return);
        QCOMPARE(log.Session().qsoFile()->RecordCount(), static_cast<std::int32_t>(qsos.size()));

        // Opened again with an empty call: at its stored place; the close
        // box keeps the text unsaved but the place is stored.
        WhenModal("TContestNotiz", [&](QWidget& n) {
          QCOMPARE(n.pos(), QPoint(40, 50));
          QCOMPARE(n.size(), QSize(500, 300));
          auto* edit = n.findChild<QPlainTextEdit*>(QStringLiteral("redit"));
          QTest::keyClicks(edit, QStringLiteral("nicht gespeichert"));
          n.move(60, 70);
          n.close();
        });
        log.findChild<QPushButton*>(QStringLiteral("btnNotiz"))->click();
        Reactivate(log, log.Entry()->Field(EntryField::kCall));
        std::vector<std::string> lines;
        QVERIFY(ReadNoteLines(note, lines));
        QCOMPARE(lines, (std::vector<std::string>{stamp + PadText("", 10) + " > ",
                                                  stamp + PadText(qsos[1].call, 10) + " > QRM auf 80m"}));
        {
          auto stored = p.StoredHeader(number);
          const ContestHeader h = HeaderOf(stored);
          QCOMPARE((std::array<int, 2>{h.noteLeft(), h.noteTop()}), (std::array<int, 2>{60, 70}));
        }

        // "weitere AFU-Programme": the modules page comes up by itself; its
        // link and the e-mail address of the first page go to the shell.
        WhenModal("Twagprogramme", [&](QWidget& second) {
          Click(second, "btnLink1");
          Click(second, "btnSchliessen");
          WhenModal("Twagprogramme", [&](QWidget& first) {
            Click(first, "btnLink2");
            Click(first, "btnSchliessen");
          }, QStringLiteral("weitere AFU-Programme"));
        }, QStringLiteral("Contest-Module"));
        log.findChild<QPushButton*>(QStringLiteral("btnweitere"))->click();
        Reactivate(log, log.Entry()->Field(EntryField::kCall));
        QCOMPARE(p.platform.ShellOpened(), (std::vector<std::string>{"https://korv-dez.example.org/contestmodule",
                                                                     "mailto:info@korv-dez.example.org"}));

        // "Contest beenden": after "Neu" as after "Starten" the evaluation
        // comes; Escape asks whether to keep changes, and after "Nein" the
        // list has the keyboard again.
        WhenModal("TEingContestStd", [&](QWidget& e) {
          ++evaluations;
          QVERIFY(!e.findChild<QPushButton*>(QStringLiteral("btnStart"))->isVisible());
          QCOMPARE(LabelText(e, "lTotalQSO"), ToQString(std::to_string(qsos.size()) + " QSO"));
          p.platform.AnswerNextQuestion(false);
          QTest::keyClick(&e, Qt::Key_Escape);
          QVERIFY(!e.isVisible());
        });
        Click(log, "btnContestBeenden");
      });
      Click(d, "btnStart");
    });
    p.list->NewWhenDirectoryEmpty();
    QCOMPARE(evaluations, 1);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(p.window.get()));
    QVERIFY(Focus() != nullptr);
    QCOMPARE(Focus()->window(), static_cast<QWidget*>(p.window.get()));

    // "Starten": the configuration, the logging window with the two QSOs,
    // and after "Contest beenden" the evaluation.
    WhenModal("TEingContestStd", [&](QWidget& d) {
      QVERIFY(d.findChild<QPushButton*>(QStringLiteral("btnStart"))->isVisible());
      WhenModal("TContestLogStd", [&](QWidget& w) {
        auto& log = static_cast<TContestLogStd&>(w);
        QCOMPARE(log.Session().contestNumber(), number);
        QCOMPARE(log.Session().qsoFile()->RecordCount(), static_cast<std::int32_t>(qsos.size()));
        WhenModal("TEingContestStd", [&](QWidget& e) {
          ++evaluations;
          QVERIFY(!e.windowTitle().contains(QStringLiteral("Contest-Konfiguration")));
          QVERIFY(!e.findChild<QPushButton*>(QStringLiteral("btnStart"))->isVisible());
          QCOMPARE(LabelText(e, "lTotalQSO"), ToQString(std::to_string(qsos.size()) + " QSO"));
          QCOMPARE(LabelText(e, "lErgebnis"), ToQString(expectedScore));
          Click(e, "btnBeenden");
        });
        Click(log, "btnContestBeenden");
      });
      Click(d, "btnStart");
    });
    QTest::mouseClick(p.window->btnStarten(), Qt::LeftButton);

    std::vector<std::string> expectedForm;
    for (const FormStep& step : form) expectedForm.emplace_back(step.message);
    QCOMPARE(shownInForm, expectedForm);
    QCOMPARE(evaluations, 2);
    QVERIFY(number > 0);
    QCOMPARE(p.platform.UnexpectedQuestions(), 0);

    // The list shows the new log; "Löschen" removes header, totals and QSO file.
    const auto& rows = p.window->Brow()->Browser().Rows();
    QCOMPARE(rows.size(), std::size_t{1});
    QVERIFY(rows[0].text.rfind(" DEZ: 2009! ;", 0) == 0);
    const std::filesystem::path qsoData = p.dir / (QsoFileName(number) + ".DAT");
    const std::filesystem::path qsoIndex = p.dir / (QsoFileName(number) + ".IX");
    QVERIFY(std::filesystem::exists(qsoData));
    QCOMPARE(p.session->totals().RecordCount(), 1);
    p.platform.ClearRecord();
    p.platform.AnswerNextQuestion(true);
    QTest::mouseClick(p.window->btnLoeschen(), Qt::LeftButton);
    // The log holds its two QSOs: the question says so, and "Nein" is its
    // default button.
    const std::vector<std::string> question{"Contest DEZ: 2009! mit 2 QSOs l\xF6schen?"};
    QCOMPARE(p.platform.TextsOf(Kind::kQuestion), question);
    QCOMPARE(p.platform.DestroyingQuestions(), question);
    QCOMPARE(p.session->contestDirectory().RecordCount(), 0);
    QCOMPARE(p.session->totals().RecordCount(), 0);
    QVERIFY(!std::filesystem::exists(qsoData));
    QVERIFY(!std::filesystem::exists(qsoIndex));
    QVERIFY(p.window->Brow()->Browser().Rows().empty());
    QVERIFY(p.fatal.codes.empty());
  }

  // The main window's button opens the same windows.
  void furtherProgramsFromTheMainWindow() {
    Program p;
    p.platform.ClearRecord();
    std::vector<QString> titles;
    WhenModal("Twagprogramme", [&](QWidget& second) {
      titles.push_back(second.windowTitle());
      const QString modules = LabelText(second, "lText");
      QVERIFY(modules.contains(QStringLiteral("Vuduzazav Izaz Eriredu")));
      Click(second, "btnSchliessen");
      WhenModal("Twagprogramme", [&](QWidget& first) {
        titles.push_back(first.windowTitle());
        Click(first, "btnLink1");
        Click(first, "btnSchliessen");
      }, QStringLiteral("weitere AFU-Programme"));
    }, QStringLiteral("Contest-Module"));
    Click(*p.window, "btnweitere");
    QCOMPARE(titles, (std::vector<QString>{QStringLiteral("Contest-Module"), QStringLiteral("weitere AFU-Programme")}));
    QCOMPARE(p.platform.ShellOpened(), std::vector<std::string>{"https://korv-dez.example.org/programme"});
  }
};

QTEST_MAIN(ProgramWalkTest)
#include "program_walk_test.moc"
