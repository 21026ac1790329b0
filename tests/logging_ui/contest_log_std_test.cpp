// The logging window offscreen, driven by real key presses into its fields
// and lists; every message box goes to the scripted platform, and the
// results are read back from the QSO file and the contest directory.
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "common/dates.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "files/catalogue.h"
#include "logging/totals_record.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "logging/ui/korrektur.h"
#include "logging/ui/partial_panel.h"
#include "rig/rig_settings.h"
#include "logging/ui/qso_edit_dialog.h"
#include "logging/ui/qso_list_panel.h"
#include "logging/ui/totals_panel.h"
#include "output/ui/party_evaluation_form.h"
#include "platform/scripted_platform.h"
#include "refdata/cty_import.h"
#include "shell/contest_rules.h"
#include "storage/engine.h"
#include "logging_ui/log_window_fixture.h"
#include "support/rigctld_process.h"
#include "support/test_support.h"

using namespace korv;
using Kind = ScriptedPlatform::Kind;

namespace {

using Fixture = korv::testing::LogWindowFixture;
using korv::testing::WhenModal;

QWidget* Focus() { return QApplication::focusWidget(); }
// After a modal window the offscreen platform leaves no window active.
void Reactivate(QWidget& window) {
  QApplication::setActiveWindow(&window);
  (void)QTest::qWaitForWindowActive(&window);
}
void Type(const char* text) { QTest::keyClicks(Focus(), QString::fromLatin1(text)); }
void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Focus(), key, mods); }
// The operator's QSO: call, Enter, exchange, Enter.
void TypeQso(const char* call, const char* exchange) {
  Type(call);
  Key(Qt::Key_Return);
  Type(exchange);
  Key(Qt::Key_Return);
}

QString Text(QWidget& w, const char* name) {
  auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
  if (l == nullptr) qFatal("no label %s", name);
  return l->text();
}

TkxEdit* FieldOf(TContestLogStd& w, EntryField f) { return w.Entry()->Field(f); }

std::vector<QString> ListCells(TkxBrow* brow, int column) {
  std::vector<QString> cells;
  const auto rows = brow->Browser().Rows().size();
  for (std::size_t r = 0; r < rows; ++r) {
    QTableWidgetItem* item = brow->Grid()->item(static_cast<int>(r), column);
    cells.push_back(item != nullptr ? item->text().trimmed() : QString());
  }
  return cells;
}

// Counts the party evaluation windows that come up while `action` runs; each
// is shown to `inside`, which closes it (else it is closed after it).
int PartyWindowsDuring(const std::function<void()>& action,
                       const std::function<void(Tpartyauswertungform&)>& inside = {}) {
  int opened = 0;
  bool busy = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* w = qobject_cast<Tpartyauswertungform*>(QApplication::activeModalWidget());
    if (busy || w == nullptr || !w->isVisible()) return;
    busy = true;
    ++opened;
    QApplication::setActiveWindow(w);
    (void)QTest::qWaitForWindowActive(w);
    if (inside) inside(*w);
    if (w->isVisible()) w->reject();
    busy = false;
  });
  poll.start();
  action();
  poll.stop();
  return opened;
}

}  // namespace

class ContestLogStdTest : public QObject {
  Q_OBJECT

 private slots:
  void callEnterDokEnterStoresTheQso() {
    Fixture f;
    TContestLogStd& w = f.Open();
    QCOMPARE(w.windowTitle(), QStringLiteral("DL0XYZ  Logbuch (Contest : DEZ 2026 )"));
    QCOMPARE(Text(w, "lglobcall1"), QStringLiteral("DLØXYZ"));
    QCOMPARE(Text(w, "eRSTr2Caption"), QStringLiteral("&1 : DOK"));
    QCOMPARE(Text(w, "lContestCaption"), QStringLiteral("Contest-Logbuch"));
    QCOMPARE(Text(w, "lNummer"), QStringLiteral("0"));
    QCOMPARE(Text(w, "lRSTs1"), QStringLiteral("599"));
    QCOMPARE(Text(w, "lZeit"), QStringLiteral("08:00:00"));
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    // Every text the operator reads is German, the tool buttons' hints too.
    QCOMPARE(w.findChild<QPushButton*>("btnClear")->toolTip(), QString::fromUtf8("Eingabe l\u00F6schen"));

    f.SetMinute(1);
    Type("dl1abc");
    QCOMPARE(FieldOf(w, EntryField::kCall)->text(), QStringLiteral("DL1ABC"));
    Key(Qt::Key_Return);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kRcvd2));
    Type("n01");
    // The typed DOK is new: red in the grid, the multiplier count follows.
    QCOMPARE(w.Grid()->Cell(0)->text(), QStringLiteral("N01"));
    QCOMPARE(w.Grid()->Cell(0)->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(Text(w, "lMulti").trimmed(), QStringLiteral("1"));
    Key(Qt::Key_Return);

    auto qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{1});
    QsoRecord q = Fixture::Qso(qsos[0]);
    QCOMPARE(q.call(), std::string("DL1ABC"));
    QCOMPARE(q.dok(), std::string("N01"));
    QCOMPARE(q.rcvdExch(), std::string("599N01"));
    QCOMPARE(q.qsoTime(), 8 * 3600 + 60);
    QCOMPARE(q.band(), 'b');
    // After the save: focus on the call, empty entry, counters moved on,
    // the grid shows the DOK as worked, the list shows the QSO.
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QVERIFY(FieldOf(w, EntryField::kCall)->text().isEmpty());
    QVERIFY(FieldOf(w, EntryField::kRcvd2)->text().isEmpty());
    QCOMPARE(Text(w, "lNummer"), QStringLiteral("1"));
    QCOMPARE(Text(w, "lPunkteCaption"), QStringLiteral("Punkte 80 m"));
    QCOMPARE(w.Grid()->Cell(0)->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    QCOMPARE(w.Totals()->SummaryLine(0)->text(), QStringLiteral("1 QSO"));
    QCOMPARE(ListCells(w.List(), 3), std::vector<QString>{QStringLiteral("DL1ABC")});
    QCOMPARE(ListCells(w.List(), 7), std::vector<QString>{QStringLiteral("599 N01")});

    // "#" ends the call with "/p" and acts as Enter; a blank in the DOK
    // field is swallowed.
    f.SetMinute(2);
    Type("dl2bbb#");
    QCOMPARE(Focus(), FieldOf(w, EntryField::kRcvd2));
    Type("n 02");
    QCOMPARE(FieldOf(w, EntryField::kRcvd2)->text(), QStringLiteral("N02"));
    Key(Qt::Key_Enter);
    qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{2});
    QCOMPARE(Fixture::Qso(qsos[1]).call(), std::string("DL2BBB/P"));
    QCOMPARE(Fixture::Qso(qsos[1]).dok(), std::string("N02"));
    QCOMPARE(Fixture::Qso(qsos[1]).serialNo(), 2);
    QCOMPARE(w.Totals()->SummaryLine(3)->text().trimmed(), QStringLiteral("4 Pkt."));  // 2 points x 2 DOKs
    QCOMPARE(ListCells(w.List(), 3), (std::vector<QString>{"DL1ABC", "DL2BBB/P"}));
    QVERIFY(f.platform.ShownTexts().empty());
  }

  // The call history's DOK stands in the DOK field in blue with its text
  // selected: Enter stores it, typing replaces it.
  void callHistoryProposalIsMarkedAndSelected() {
    CallHistory history;
    (void)history.Load("DL7XYZ,B36\nDL8XYZ,B37\n", false);
    Fixture f;
    f.callHistory = &history;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    Type("dl7xyz");
    Key(Qt::Key_Return);
    TkxEdit* dok = static_cast<TkxEdit*>(FieldOf(w, EntryField::kRcvd2));
    QCOMPARE(Focus(), static_cast<QWidget*>(dok));
    QCOMPARE(dok->text(), QStringLiteral("B36"));
    QCOMPARE(dok->selectedText(), QStringLiteral("B36"));
    QCOMPARE(dok->palette().color(QPalette::Text), QColor(0, 0, 200));
    Key(Qt::Key_Return);
    QCOMPARE(f.Qsos().size(), std::size_t{1});
    QCOMPARE(Fixture::Qso(f.Qsos()[0]).dok(), std::string("B36"));
    QVERIFY(dok->palette().color(QPalette::Text) != QColor(0, 0, 200));

    f.SetMinute(2);
    Type("dl8xyz");
    Key(Qt::Key_Return);
    QCOMPARE(dok->text(), QStringLiteral("B37"));
    Type("n05");
    QCOMPARE(dok->text(), QStringLiteral("N05"));
    QVERIFY(dok->palette().color(QPalette::Text) != QColor(0, 0, 200));
    Key(Qt::Key_Return);
    auto qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{2});
    QCOMPARE(Fixture::Qso(qsos[1]).dok(), std::string("N05"));
  }

  // The partial panel lists the log's calls first (a duplicate on the band
  // in red with "doppelt"), then MASTER.SCP's; the N+1 list the calls one
  // typing error away; F2 and a click take a call, the focus never leaves
  // the call field.
  void partialListFollowsTheTypedCall() {
    CallIndex reference;
    reference.Build({"DL1ABC", "DL1ABD", "DK1ABC", "OE1ABC"});
    Fixture f;
    f.partialCalls = true;
    f.referenceCalls = &reference;
    TContestLogStd& w = f.Open();
    QListWidget* partial = w.Partial()->PartialList();
    QListWidget* oneOff = w.Partial()->OneOffList();
    auto rows = [](QListWidget* list) {
      std::vector<QString> texts;
      for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text());
      return texts;
    };
    f.SetMinute(1);
    TypeQso("dl1abc", "n01");
    f.SetMinute(2);
    Type("d");
    QVERIFY(rows(partial).empty());  // from the second character on
    Type("l1ab");
    QCOMPARE(rows(partial), (std::vector<QString>{"DL1ABC doppelt", "DL1ABD"}));
    QCOMPARE(partial->item(0)->foreground().color(), QColor(192, 0, 0));
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    Type("e");
    QVERIFY(rows(partial).empty());
    QCOMPARE(rows(oneOff), (std::vector<QString>{"DL1ABC doppelt", "DL1ABD"}));

    // F2 takes the first listed call; typing goes on behind it.
    Key(Qt::Key_Escape);
    Type("k1ab");
    QCOMPARE(rows(partial), std::vector<QString>{"DK1ABC"});
    Key(Qt::Key_F2);
    QCOMPARE(FieldOf(w, EntryField::kCall)->text(), QStringLiteral("DK1ABC"));
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    Key(Qt::Key_Return);
    Type("n02");
    Key(Qt::Key_Return);
    QCOMPARE(f.Calls(), (std::vector<std::string>{"DL1ABC", "DK1ABC"}));

    // A click takes that call, without the focus.
    f.SetMinute(3);
    Type("1abc");
    QCOMPARE(rows(partial), (std::vector<QString>{"DK1ABC doppelt", "DL1ABC doppelt", "OE1ABC"}));
    const QRect third = partial->visualItemRect(partial->item(2));
    QTest::mouseClick(partial->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(FieldOf(w, EntryField::kCall)->text(), QStringLiteral("OE1ABC"));
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QVERIFY(f.platform.ShownTexts().empty());
  }

  // Band, mode and frequency follow the radio (Hamlib's dummy radio behind
  // rigctld): at once between QSOs, held while a call is typed; a lost
  // radio is shown and logging goes on without a message.
  void bandModeAndFrequencyFollowTheRadio() {
    if (!korv::testing::RigctldProcess::Installed()) QSKIP("rigctld (libhamlib-utils) is not installed");
    korv::testing::RigctldProcess rigctld;
    QVERIFY(rigctld.Start());
    QVERIFY(rigctld.Tune(7030000, "CW"));
    Fixture f;
    RigSettings settings;
    settings.kind = RigKind::kRigctld;
    settings.host = "127.0.0.1";
    settings.port = rigctld.Port();
    QVERIFY(SaveRigSettings(settings, f.dir / kOwnSettingsFileName));
    TContestLogStd& w = f.Open();
    QTRY_COMPARE_WITH_TIMEOUT(w.Session().band(), 'c', 8000);
    QCOMPARE(w.Session().mode(), std::string("CW"));
    QCOMPARE(FieldOf(w, EntryField::kFreq)->text(), QStringLiteral("7,030"));
    QVERIFY2(w.RigStatus()->text().contains(QStringLiteral("7.030,00 kHz")), qPrintable(w.RigStatus()->text()));

    f.SetMinute(1);
    TypeQso("dl1abc", "n01");
    auto qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{1});
    QCOMPARE(Fixture::Qso(qsos[0]).band(), 'c');
    QCOMPARE(Fixture::Qso(qsos[0]).frequency(), 7.030f);

    // Tuned to 80 m while a call is typed: the QSO stays on 40 m.
    f.SetMinute(2);
    Type("dl2abc");
    QVERIFY(rigctld.Tune(3550000, "CW"));
    QTRY_VERIFY_WITH_TIMEOUT(w.Session().RigReadingHeld(), 8000);
    QCOMPARE(w.Session().band(), 'c');
    Key(Qt::Key_Return);
    Type("n02");
    Key(Qt::Key_Return);
    qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{2});
    QCOMPARE(Fixture::Qso(qsos[1]).band(), 'c');
    QCOMPARE(w.Session().band(), 'b');
    QCOMPARE(FieldOf(w, EntryField::kFreq)->text(), QStringLiteral("3,550"));

    rigctld.Kill();
    QTRY_VERIFY_WITH_TIMEOUT(w.RigStatus()->text().contains(QStringLiteral("keine Verbindung")), 10000);
    f.SetMinute(3);
    TypeQso("dl3abc", "n03");
    qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{3});
    QCOMPARE(Fixture::Qso(qsos[2]).band(), 'b');
    QVERIFY(f.platform.ShownTexts().empty());
  }

  void partialPanelIsHiddenWhenSwitchedOff() {
    Fixture f;
    TContestLogStd& w = f.Open();
    QVERIFY(!w.Partial()->isVisible());
    Type("dl1");
    Key(Qt::Key_F2);
    QCOMPARE(FieldOf(w, EntryField::kCall)->text(), QStringLiteral("DL1"));
  }

  void unknownDokIsPointedAtWhileTyped() {
    Fixture f;
    TContestLogStd& w = f.Open();
    auto* hint = w.findChild<QLabel*>(QStringLiteral("lDokHint"));
    QVERIFY(hint != nullptr);
    Type("dl1abc");
    Key(Qt::Key_Return);
    QWidget* dok = FieldOf(w, EntryField::kRcvd2);
    QCOMPARE(Focus(), dok);
    Type("n1");
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("DOK unbekannt?"));
    QVERIFY(dok->palette().color(QPalette::Base) != w.palette().color(QPalette::Base));
    Key(Qt::Key_Backspace);
    Type("01");  // N01: a DOK of the district
    QVERIFY(!hint->isVisible());
    QCOMPARE(dok->palette().color(QPalette::Base), FieldOf(w, EntryField::kCall)->palette().color(QPalette::Base));
  }

  void duplicateIsRefusedAndTheEntryCleared() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    TypeQso("dl1abc", "n01");
    f.SetMinute(2);
    Type("dl1abc/p");
    Key(Qt::Key_Return);
    QCOMPARE(f.platform.TextsOf(Kind::kInform),
             std::vector<std::string>{"Call DL1ABC bereits auf Band vorhanden"});
    QCOMPARE(f.platform.Beeps(), 1);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QVERIFY(FieldOf(w, EntryField::kCall)->text().isEmpty());
    QCOMPARE(f.Qsos().size(), std::size_t{1});
    // The new entry shows the clock, not the time of the last QSO.
    QCOMPARE(FieldOf(w, EntryField::kTime)->text(), QStringLiteral("08:02:00"));
  }

  // A DOK refused with a message is typed again where it was: the focus
  // stays in its field with the text selected, nothing is stored.
  void refusedDokKeepsTheFocusInItsField() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    Type("dl1abc");
    Key(Qt::Key_Return);
    Type("j12");
    Key(Qt::Key_Return);
    QCOMPARE(f.platform.TextsOf(Kind::kInform), std::vector<std::string>{"Fehler bei DOK-Angabe"});
    QCOMPARE(Focus(), FieldOf(w, EntryField::kRcvd2));
    QCOMPARE(FieldOf(w, EntryField::kRcvd2)->selectedText(), QStringLiteral("J12"));
    QVERIFY(f.Qsos().empty());
    Type("n01");  // replaces the selection
    Key(Qt::Key_Return);
    QCOMPARE(f.Qsos().size(), std::size_t{1});
    QCOMPARE(Fixture::Qso(f.Qsos()[0]).dok(), std::string("N01"));
  }

  // Every way of leaving the call field runs its checks: Alt+Numpad 1 to
  // the exchange field and F5 to the list report a duplicate too.
  void everyWayOfLeavingTheCallFieldChecksIt() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    TypeQso("dl1abc", "n01");
    const std::vector<std::string> dupe{"Call DL1ABC bereits auf Band vorhanden"};
    f.SetMinute(2);
    Type("dl1abc");
    Key(Qt::Key_1, Qt::AltModifier | Qt::KeypadModifier);
    QCOMPARE(f.platform.TextsOf(Kind::kInform), dupe);
    f.platform.ClearRecord();
    Reactivate(w);
    FieldOf(w, EntryField::kCall)->setFocus();
    Type("dl1abc");
    Key(Qt::Key_F5);
    QCOMPARE(f.platform.TextsOf(Kind::kInform), dupe);
    QCOMPARE(f.Qsos().size(), std::size_t{1});
  }

  void keysSwitchModeBandQslAndListMode() {
    Fixture f;
    TContestLogStd& w = f.Open();
    QCOMPARE(Text(w, "lmode"), QStringLiteral("CW"));
    Key(Qt::Key_F7);  // two modes: the other one at once, the report follows
    QCOMPARE(Text(w, "lmode"), QStringLiteral("SSB"));
    QCOMPARE(Text(w, "lRSTs1"), QStringLiteral("59"));
    QVERIFY(!w.ModeList()->isVisible());

    Key(Qt::Key_F8);
    QVERIFY(w.BandList()->isVisible());
    QCOMPARE(Focus(), w.BandList());
    Key(Qt::Key_Escape);  // closes the list only
    QVERIFY(!w.BandList()->isVisible());
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    Key(Qt::Key_F8);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    QCOMPARE(Text(w, "lband"), QStringLiteral("40 m"));
    QCOMPARE(Text(w, "lPunkteCaption"), QStringLiteral("Punkte 40 m"));
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));

    // F9 shows frequency, name and QTH (a QSO is then stored from the QTH
    // field) and hides them again.
    QVERIFY(!FieldOf(w, EntryField::kName)->isVisible());
    Key(Qt::Key_F9);
    QVERIFY(FieldOf(w, EntryField::kName)->isVisible());
    Key(Qt::Key_F9);
    QVERIFY(!FieldOf(w, EntryField::kQth)->isVisible());

    Key(Qt::Key_F5);
    QVERIFY(w.ListMode());
    QCOMPARE(Focus(), w.List()->Grid());
    QCOMPARE(Text(w, "lContestCaption"), QStringLiteral("Contest-Logbuch (ESC: zurück zur Eingabe)"));
    QVERIFY(w.findChild<QPushButton*>("btnLoeschen")->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>("btnClear")->isEnabled());
    Key(Qt::Key_Escape);
    QVERIFY(!w.ListMode());
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QVERIFY(!w.findChild<QPushButton*>("btnLoeschen")->isEnabled());
    // F5 again, or a click into the entry panel, returns from the list too.
    Key(Qt::Key_F5);
    Key(Qt::Key_F5);
    QVERIFY(!w.ListMode());
    Key(Qt::Key_F5);
    QTest::mouseClick(w.Entry(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(!w.ListMode());
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QCOMPARE(Text(w, "eCallCaption"), QStringLiteral("QSO-Partner"));
    QCOMPARE(w.findChild<QLabel*>("eCallCaption")->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Alt+Numpad 1 jumps to the DOK field; its caption turns red, the
    // call's back to teal.
    Key(Qt::Key_1, Qt::AltModifier | Qt::KeypadModifier);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kRcvd2));
    QCOMPARE(w.findChild<QLabel*>("eRSTr2Caption")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(w.findChild<QLabel*>("eCallCaption")->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    Key(Qt::Key_Escape);

    // Alt+Q: the QSL flag of the entry (Esc sets it back to the default).
    QCOMPARE(Text(w, "lQSLs"), QStringLiteral("QSL senden: nein"));
    Key(Qt::Key_Q, Qt::AltModifier);
    QCOMPARE(Text(w, "lQSLs"), QStringLiteral("QSL senden: ja"));

    // The QSO stored after all this: SSB, 40 m, QSL 'Y'.
    f.SetMinute(3);
    TypeQso("dl3ccc", "n03");
    auto qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{1});
    QsoRecord q = Fixture::Qso(qsos[0]);
    QCOMPARE(q.mode(), std::string("SSB"));
    QCOMPARE(q.band(), 'c');
    QCOMPARE(q.qslSend(), 'Y');
    QCOMPARE(q.rcvdExch(), std::string("59 N03"));
  }

  // A portable operator's 1024x768 screen: the window fits it, nothing of
  // the entry, the totals or the keys is cut off, the last QSOs are in the
  // list, and the list's cells show their texts whole.
  void windowFitsA1024By768Screen() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    TypeQso("dl1abc", "n01");
    Key(Qt::Key_F7);  // SSB
    f.SetMinute(2);
    TypeQso("dl2xyz", "n02");
    QVERIFY(w.minimumSizeHint().width() <= 1024);
    w.resize(1024, 768 - 40);  // less the window manager's title bar
    QCoreApplication::processEvents();
    const QRect inside = w.rect();
    const auto within = [&](QWidget* c) { return inside.contains(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())); };
    QVERIFY(within(w.Entry()));
    QVERIFY(within(w.Totals()));
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
      if (b->isVisibleTo(&w) && b->width() > 1) QVERIFY2(within(b), qPrintable(b->objectName()));
    }
    QTableWidget* grid = w.List()->Grid();
    QVERIFY(within(grid));
    int shown = 0;
    for (int r = 0; r < grid->rowCount(); ++r) {
      for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* item = grid->item(r, c);
        if (item == nullptr || item->text().trimmed().isEmpty()) continue;
        if (c == 3) ++shown;
        // As drawn: the padding blanks at the end are not.
        QString drawn = item->text();
        while (drawn.endsWith(QLatin1Char(' '))) drawn.chop(1);
        const int needed = grid->fontMetrics().horizontalAdvance(drawn);
        QVERIFY2(needed < grid->horizontalHeader()->sectionSize(c),
                 qPrintable(QStringLiteral("%1 in column %2").arg(item->text()).arg(c)));
      }
    }
    QCOMPARE(shown, 2);
  }

  void helpKeyAndButtonOpenTheLoggingSection() {
    Fixture f;
    TContestLogStd& w = f.Open();
    QTest::keyClick(w.Entry()->Field(EntryField::kCall), Qt::Key_F1);
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("btnHilfe")), Qt::LeftButton);
    const auto& requests = f.platform.HelpRequests();
    QCOMPARE(requests.size(), std::size_t{2});
    for (const auto& r : requests) {
      QCOMPARE(r.contextNumber, 310110030);
      QCOMPARE(r.file.filename().string(), std::string("korvcont.html"));
    }
    // The list window and the edit dialog have their own section.
    WhenModal<QDialog>([](QDialog* list) {
      QTest::keyClick(list, Qt::Key_F1);
      QTest::keyClick(list, Qt::Key_Escape);
    });
    QTest::keyClick(w.Entry()->Field(EntryField::kCall), Qt::Key_F12);
    QCOMPARE(requests.size(), std::size_t{3});
    QCOMPARE(requests.back().contextNumber, 310110050);
  }

  void deleteFromTheListAsksAndRenumbers() {
    Fixture f;
    TContestLogStd& w = f.Open();
    const char* calls[] = {"dl1aaa", "dl2bbb", "dl3ccc"};
    const char* doks[] = {"n01", "n02", "n03"};
    for (int i = 0; i < 3; ++i) {
      f.SetMinute(i + 1);
      Type(calls[i]);
      Key(Qt::Key_Return);
      Type(doks[i]);
      Key(Qt::Key_Return);
    }
    QCOMPARE(f.Qsos().size(), std::size_t{3});
    Key(Qt::Key_F5);
    QCOMPARE(w.List()->Browser().SelectedRow(), 3);  // the last QSO of the band
    Key(Qt::Key_Up);

    // The list's question, the notice, then the question of the log: No.
    f.platform.AnswerNextQuestion(true);
    f.platform.AnswerNextQuestion(false);
    Key(Qt::Key_Delete);
    QCOMPARE(f.Qsos().size(), std::size_t{3});

    f.platform.AnswerNextQuestion(true);
    f.platform.AnswerNextQuestion(true);
    Key(Qt::Key_Delete);
    QCOMPARE(f.Calls(), (std::vector<std::string>{"DL1AAA", "DL3CCC"}));
    QCOMPARE(f.platform.ShownTexts().back().text, std::string("Eintrag DL2BBB l\xF6schen?"));
    auto qsos = f.Qsos();
    QCOMPARE(Fixture::Qso(qsos[1]).serialNo(), 2);
    QCOMPARE(Text(w, "lNummer"), QStringLiteral("2"));
    QCOMPARE(ListCells(w.List(), 3), (std::vector<QString>{"DL1AAA", "DL3CCC"}));
    QCOMPARE(w.Grid()->Cell(1)->text(), QStringLiteral("N03"));  // N02 gone from the grid

    // The button deletes the selected QSO after the notice and one question.
    QVERIFY(w.ListMode());
    f.platform.AnswerNextQuestion(true);
    w.findChild<QPushButton*>("btnLoeschen")->click();
    QCOMPARE(f.Qsos().size(), std::size_t{1});
    QCOMPARE(f.platform.UnexpectedQuestions(), 0);
  }

  void editDialogMovesTheQsoToAnotherBand() {
    Fixture f;
    TContestLogStd& w = f.Open();
    for (int i = 0; i < 2; ++i) {
      f.SetMinute(i + 1);
      Type(i == 0 ? "dl1aaa" : "dl2bbb");
      Key(Qt::Key_Return);
      Type(i == 0 ? "n01" : "n02");
      Key(Qt::Key_Return);
    }
    Key(Qt::Key_F5);
    Key(Qt::Key_Up);  // DL1AAA
    bool seen = false;
    WhenModal<Teingabecontstd2>([&seen](Teingabecontstd2* dialog) {
      seen = true;
      QCOMPARE(dialog->CallField()->text(), QStringLiteral("DL1AAA"));
      QCOMPARE(dialog->LowerField(1)->text(), QStringLiteral("N01"));
      QVERIFY(!dialog->UpperField(1)->isEnabled());
      QCOMPARE(dialog->findChild<QLabel*>("lNummer")->text(), QStringLiteral("Nummer:   1"));
      // Enter walks the enabled fields.
      dialog->CallField()->setFocus();
      QTest::keyClick(dialog->CallField(), Qt::Key_Return);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog->findChild<QComboBox*>("cbMode")));
      dialog->BandList()->setCurrentIndex(1);  // 40 m
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    Key(Qt::Key_Return);
    Reactivate(w);
    QVERIFY(seen);
    auto qsos = f.Qsos();
    QCOMPARE(Fixture::Qso(qsos[0]).band(), 'c');
    QCOMPARE(Fixture::Qso(qsos[0]).bandNo(), 1);
    QCOMPARE(Fixture::Qso(qsos[1]).bandNo(), 1);
    QCOMPARE(Text(w, "lQSO").trimmed(), QStringLiteral("1"));  // 80 m keeps one QSO
    // The list stands on the changed QSO.
    const int selected = w.List()->Browser().SelectedRow();
    QVERIFY(selected > 0);
    QCOMPARE(ListCells(w.List(), 3)[static_cast<std::size_t>(selected - 1)], QStringLiteral("DL1AAA"));
    QCOMPARE(ListCells(w.List(), 4)[static_cast<std::size_t>(selected - 1)], QStringLiteral("40 m"));
    QCOMPARE(w.Totals()->SummaryLine(1)->text().trimmed(), QStringLiteral("2 Multi x"));
  }

  // A change of call that would make a dupe is not stored: the entry's
  // message, and the dialog stays open on the call field until it is
  // changed back or to a call not worked on the band.
  void editDialogRefusesAChangeThatMakesADupe() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    TypeQso("dl1aaa", "n01");
    f.SetMinute(2);
    TypeQso("dl2bbb", "n02");
    Key(Qt::Key_F5);  // the list stands on DL2BBB
    bool stayedOpen = false;
    WhenModal<Teingabecontstd2>([&](Teingabecontstd2* dialog) {
      dialog->CallField()->setFocus();
      dialog->CallField()->selectAll();
      QTest::keyClicks(dialog->CallField(), "dl1aaa");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      stayedOpen = dialog->isVisible();
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog->CallField()));
      QCOMPARE(f.platform.TextsOf(Kind::kInform), std::vector<std::string>{"Call DL1AAA bereits auf Band vorhanden"});
      QTest::keyClicks(dialog->CallField(), "dl3ccc");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    Key(Qt::Key_Return);
    Reactivate(w);
    QVERIFY(stayedOpen);
    auto qsos = f.Qsos();
    QCOMPARE(qsos.size(), std::size_t{2});
    QCOMPARE(Fixture::Qso(qsos[0]).call(), std::string("DL1AAA"));
    QCOMPARE(Fixture::Qso(qsos[1]).call(), std::string("DL3CCC"));
  }

  void listWindowInItsThreeModes() {
    Fixture f;
    TContestLogStd& w = f.Open();
    const char* calls[] = {"dl1aaa", "oe1abc", "dl1abd"};
    for (int i = 0; i < 3; ++i) {
      f.SetMinute(i + 1);
      Type(calls[i]);
      Key(Qt::Key_Return);
      if (i != 1) Type("n01");
      Key(Qt::Key_Return);
    }
    QCOMPARE(f.Qsos().size(), std::size_t{3});

    // Corrections: every QSO by running number, on the last one; Esc closes.
    std::vector<QString> listed;
    WhenModal<TKorrekturstd>([&listed](TKorrekturstd* k) {
      QCOMPARE(k->windowTitle(), QStringLiteral("QSO - Liste (Ändern mit Eingabetaste oder Doppelklick)"));
      listed = ListCells(k->List(), 3);
      QCOMPARE(k->List()->Browser().SelectedRow(), 3);
      QTest::keyClick(k->List()->Grid(), Qt::Key_Escape);
    });
    Key(Qt::Key_F12);
    Reactivate(w);
    QCOMPARE(listed, (std::vector<QString>{"DL1AAA", "OE1ABC", "DL1ABD"}));

    // Call search: the search dialog first; "dl1a" lists both DL1A... calls.
    listed.clear();
    WhenModal<TSucheQE>([&listed](TSucheQE* dialog) {
      QTest::keyClicks(dialog->CallField(), "dl1a");
      QTest::keyClick(dialog->CallField(), Qt::Key_Return);
      WhenModal<TKorrekturstd>([&listed](TKorrekturstd* k) {
        listed = ListCells(k->List(), 3);
        k->close();
      });
    });
    Key(Qt::Key_F4);
    Reactivate(w);
    QCOMPARE(listed, (std::vector<QString>{"DL1AAA", "DL1ABD"}));

    // Band log: the band dialog, then that band's QSOs.
    listed.clear();
    WhenModal<Tstdband>([&listed](Tstdband* d) {
      QCOMPARE(d->BandList()->currentItem()->text(), QStringLiteral("80 m"));
      QTest::keyClick(d->BandList(), Qt::Key_Down);  // 40 m: no QSO there
      QTest::keyClick(d->BandList(), Qt::Key_Return);
      WhenModal<TKorrekturstd>([&listed](TKorrekturstd* k) {
        QCOMPARE(k->windowTitle(), QStringLiteral("Band - Log (Ändern mit Eingabetaste oder Doppelklick)"));
        listed = ListCells(k->List(), 3);
        listed.push_back(QStringLiteral("shown"));
        k->close();
      });
    });
    Key(Qt::Key_F3);
    Reactivate(w);
    QCOMPARE(listed, std::vector<QString>{QStringLiteral("shown")});
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
  }

  void closingStoresTotalsAndColumnWidths() {
    Fixture f;
    {
      TContestLogStd& w = f.Open();
      f.SetMinute(1);
      TypeQso("dl1abc", "n01");
      w.List()->Grid()->horizontalHeader()->resizeSection(3, 133);
      w.findChild<QPushButton*>("btnContestBeenden")->click();
      QVERIFY(!w.isVisible());
      f.header = w.Session().headerBytes();
      f.window.reset();
    }
    KeyString key;
    key.AppendLong(f.logNumber);
    QVERIFY(f.totals->FindExact(1, key).ok());
    const auto tr = TotalsRecord::Over(f.totals->Record());
    QVERIFY(tr.has_value());
    QCOMPARE(tr->qsoCount(1), 1);
    QCOMPARE(tr->multiplierCount(1), 1);
    QVERIFY(f.directory->FindExact(3, key).ok());
    ContestHeader stored(ContestHeader::Record(f.directory->Record().data(), kContestHeaderSize));
    QCOMPARE(stored.listColumnWidth(4), std::int16_t{133});

    // Reopened, the list has the same widths and shows the QSO.
    f.header.assign(f.directory->Record().begin(), f.directory->Record().end());
    TContestLogStd& again = f.Open();
    QCOMPARE(again.List()->Grid()->horizontalHeader()->sectionSize(3), 133);
    QCOMPARE(ListCells(again.List(), 3), std::vector<QString>{QStringLiteral("DL1ABC")});
    QCOMPARE(Text(again, "lNummer"), QStringLiteral("1"));
  }

  void withoutMultipliersGridAndTotalsAreHidden() {
    Fixture f;
    f.rules.multiplierKinds.reset();
    TContestLogStd& w = f.Open();
    QVERIFY(!w.Grid()->isVisible());
    QVERIFY(!w.Totals()->isVisible());
    QVERIFY(!w.findChild<QLabel*>("lPunkteCaption")->isVisible());
    f.SetMinute(1);
    Type("oe1abc");
    Key(Qt::Key_Return);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kRcvd2));
    Key(Qt::Key_Return);
    QCOMPARE(f.Calls(), std::vector<std::string>{"OE1ABC"});
  }

  void partyVariantOpensTheEvaluationByKeyAndButton() {
    Fixture f;
    ContestHeader(ContestHeader::Record(f.header.data(), kContestHeaderSize)).SetContestCode('P');
    f.rules.partyEvaluation = 1;
    TContestLogStd& w = f.Open();
    QVERIFY(w.findChild<QPushButton*>("btnauswertung")->isVisible());
    f.SetMinute(1);
    Type("dl1abc");
    Key(Qt::Key_Return);
    Type("n01");  // "N0" where the age stands: read as age 0
    Key(Qt::Key_Return);
    QCOMPARE(f.Qsos().size(), std::size_t{1});

    QSignalSpy requests(&w, &TContestLogStd::partyEvaluationRequested);
    std::vector<ChartBox> bars;
    const int byKey = PartyWindowsDuring([] { Key(Qt::Key_F11); }, [&bars](Tpartyauswertungform& p) {
      for (const ChartBox& b : p.Panel()->Chart().boxes) {
        if (b.colour == kChartBlue) bars.push_back(b);
      }
      p.setGeometry(QRect(70, 50, 860, 420));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    QCOMPARE(byKey, 1);
    QCOMPARE(requests.count(), 1);
    // The QSO of the log: bucket 0, 1 QSO on a scale of 10.
    QCOMPARE(bars, (std::vector<ChartBox>{{42, 230, 45, 250, kChartBlue}}));
    Reactivate(w);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    // Reading the QSO file for the chart left the entry and the list intact.
    f.SetMinute(2);
    TypeQso("dl2abc", "n02");
    QCOMPARE(f.Calls(), (std::vector<std::string>{"DL1ABC", "DL2ABC"}));
    QCOMPARE(ListCells(w.List(), 3), (std::vector<QString>{"DL1ABC", "DL2ABC"}));

    // The place is kept beyond the logging window: the next one opens the
    // evaluation where the last one was left.
    f.header = w.Session().headerBytes();
    f.window.reset();
    TContestLogStd& again = f.Open();
    std::optional<QRect> placed;
    const int byButton =
        PartyWindowsDuring([&again] { again.findChild<QPushButton*>("btnauswertung")->click(); },
                           [&placed](Tpartyauswertungform& p) {
                             placed = p.geometry();
                             p.findChild<QPushButton*>("btnOK")->click();
                           });
    QCOMPARE(byButton, 1);
    QCOMPARE(placed, std::optional<QRect>(QRect(70, 50, 860, 420)));
  }

  void dezHasNoPartyEvaluation() {
    Fixture f;
    TContestLogStd& w = f.Open();
    QVERIFY(w.findChild<QPushButton*>("btnauswertung")->isHidden());
    QSignalSpy requests(&w, &TContestLogStd::partyEvaluationRequested);
    QCOMPARE(PartyWindowsDuring([] { Key(Qt::Key_F11); }), 0);
    QCOMPARE(requests.count(), 0);
    QCOMPARE(Focus(), FieldOf(w, EntryField::kCall));
    QVERIFY(f.platform.ShownTexts().empty());
  }
};

QTEST_MAIN(ContestLogStdTest)
#include "contest_log_std_test.moc"
