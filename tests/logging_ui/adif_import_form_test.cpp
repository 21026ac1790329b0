// The ADIF import from the logging window's button: the import window
// offscreen, the file chosen through the scripted platform, the fields
// mapped by drag and drop, and the QSOs read back from the QSO file.
//
// Drag and drop: a real QDrag runs the platform's own drag loop, which the
// offscreen platform cannot be driven through with synthetic mouse events.
// The tests therefore send the drag-enter, drag-move and drop events that
// such a drag delivers to the right list's viewport, carrying the data the
// left list itself packs for the dragged entry.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <memory>

#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "logging/ui/adif_import_form.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "logging/ui/totals_panel.h"
#include "logging_ui/log_window_fixture.h"
#include "platform/ui/qt_text.h"
#include "support/test_support.h"

using namespace korv;
using Fixture = korv::testing::LogWindowFixture;
using Kind = ScriptedPlatform::Kind;
using korv::testing::WhenModal;

namespace {

// A header, then records over several lines. DL5EEE is logged by hand
// before the import (a duplicate), 20 m is no band of the contest, RTTY no
// mode of it. The DOK comes as SRX_STRING.
constexpr const char* kFile =
    "Log exported by another logbook\r\n"
    "<ADIF_VER:5>3.1.4\r\n"
    "<PROGRAMID:5>OTHER\r\n"
    "<EOH>\r\n"
    "<CALL:6>DL1ABC <QSO_DATE:8>20261114\r\n"
    "   <TIME_ON:6>080500 <BAND:3>80m <MODE:2>CW\r\n"
    "   <RST_SENT:3>599 <RST_RCVD:3>579 <SRX_STRING:3>n01 <NAME:4>hans <EOR>\r\n"
    "<CALL:6>DL2XYZ <QSO_DATE:8>20261114 <TIME_ON:4>0806\r\n"
    "   <FREQ:5>7.012 <MODE:3>SSB <SRX_STRING:3>N02 <EOR>\r\n"
    "<CALL:6>DL3CCC <QSO_DATE:8>20261114 <TIME_ON:4>0807 <BAND:3>20m <MODE:2>CW <SRX_STRING:3>N03 "
    "<EOR>\r\n"
    "<CALL:6>DL4DDD <QSO_DATE:8>20261114 <TIME_ON:4>0808 <BAND:3>40m <MODE:4>RTTY "
    "<SRX_STRING:3>N04 <EOR>\r\n"
    "<CALL:6>DL5EEE <QSO_DATE:8>20261114 <TIME_ON:4>0809 <BAND:3>80m <MODE:2>CW <SRX_STRING:3>N05 "
    "<EOR>\r\n";

QWidget* Focus() {
  return QApplication::focusWidget();
}
void Type(const char* text) {
  QTest::keyClicks(Focus(), QString::fromLatin1(text));
}
void Key(Qt::Key key) {
  QTest::keyClick(Focus(), key);
}

std::filesystem::path WriteFile(const std::filesystem::path& dir, const char* name,
                                const char* text) {
  const std::string s(text);
  korv::testing::WriteAll(dir / name, std::vector<std::uint8_t>(s.begin(), s.end()));
  return dir / name;
}

QStringList Items(QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

// Drags the left list's entry `fileField` to `target` in the right list's
// viewport. Returns whether the drop was accepted.
bool DragTo(TFormadifimport* window, const QString& fileField, QPoint target) {
  const QList<QListWidgetItem*> found =
      window->FileFields()->findItems(fileField, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  std::unique_ptr<QMimeData> data(window->FileFields()->DragData(found.front()));
  QWidget* viewport = window->LogFields()->viewport();
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(target, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &enter);
  if (!enter.isAccepted()) return false;
  QDragMoveEvent move(target, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  if (!move.isAccepted()) return false;
  QDropEvent drop(QPointF(target), actions, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &drop);
  return drop.isAccepted();
}

// The middle of the right list's entry that reads `logField`.
QPoint EntryPoint(TFormadifimport* window, const QString& logField) {
  QListWidget* right = window->LogFields();
  for (int i = 0; i < right->count(); ++i) {
    if (right->item(i)->text() == logField) return right->visualItemRect(right->item(i)).center();
  }
  qFatal("no entry %s", qPrintable(logField));
}

void ClickImport(TContestLogStd& w) {
  auto* button = w.findChild<QPushButton*>(QStringLiteral("btnadifimport"));
  QVERIFY(button != nullptr && button->isVisible());
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class AdifImportFormTest : public QObject {
  Q_OBJECT

 private slots:
  void mappedFileIsImportedThroughTheLoggingWindow() {
    Fixture f;
    TContestLogStd& w = f.Open();
    f.SetMinute(1);
    Type("dl5eee");
    Key(Qt::Key_Return);
    Type("n05");
    Key(Qt::Key_Return);
    QCOMPARE(f.Calls(), std::vector<std::string>{"DL5EEE"});
    QVERIFY(w.Clock().isActive());

    const auto path = WriteFile(f.dir, "fremd.adi", kFile);
    f.platform.AnswerNextFileDialog(path);
    bool seen = false;
    WhenModal<TFormadifimport>([&](TFormadifimport* d) {
      seen = true;
      QVERIFY(!w.Clock().isActive());
      QCOMPARE(d->windowTitle(), QStringLiteral("ADIF-Import"));
      QCOMPARE(d->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
               QStringLiteral("Mit dieser Funktion k\u00F6nnen ADIF-Dateien anderer Logb\u00FCcher "
                              "eingelesen werden."));
      QCOMPARE(d->findChild<QTabWidget*>()->tabText(0), QStringLiteral("Feldzuordnung"));
      QCOMPARE(d->findChild<QCheckBox*>(QStringLiteral("checkkeincheck"))->text(),
               QStringLiteral("keine Mode/Band-\u00DCberpr\u00FCfung"));
      auto* start = d->findChild<QPushButton*>(QStringLiteral("btnimportstart"));
      QVERIFY(!start->isEnabled());
      QVERIFY(start->isDefault());
      QCOMPARE(Items(d->LogFields()), (QStringList{"CALL", "QSO_DATE", "TIME_ON", "RST_SENT",
                                                   "RST_RCVD", "BAND", "FREQ", "MODE", "DOK"}));

      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("btndatei")), Qt::LeftButton);
      QCOMPARE(f.platform.FileDialogs().size(), std::size_t{1});
      QCOMPARE(f.platform.FileDialogs()[0].filterCaption,
               std::string("ADIF-Datei (*.adi, *.adif)"));
      QCOMPARE(f.platform.FileDialogs()[0].filterPattern, std::string("*.ADI;*.ADIF"));
      QCOMPARE(d->findChild<QLabel*>(QStringLiteral("ldatei"))->text(),
               QString::fromStdString(path.string()));
      // Fields named as the log's are mapped at once, the DOK from the
      // received exchange text; the rest stays on the left.
      QCOMPARE(Items(d->LogFields()),
               (QStringList{"CALL (CALL)", "QSO_DATE (QSO_DATE)", "TIME_ON (TIME_ON)", "RST_SENT (RST_SENT)",
                            "RST_RCVD (RST_RCVD)", "BAND (BAND)", "FREQ (FREQ)", "MODE (MODE)",
                            "DOK (SRX_STRING)"}));
      QCOMPARE(Items(d->FileFields()), QStringList{"NAME"});
      QVERIFY(start->isEnabled());
      // Each mapping can still be changed: a field dropped onto a mapped
      // entry replaces it and the earlier one goes back to the left list.
      QVERIFY(DragTo(d, QStringLiteral("NAME"), EntryPoint(d, QStringLiteral("DOK (SRX_STRING)"))));
      QCOMPARE(d->LogFields()->item(8)->text(), QStringLiteral("DOK (NAME)"));
      QCOMPARE(Items(d->FileFields()), QStringList{"SRX_STRING"});
      QVERIFY(DragTo(d, QStringLiteral("SRX_STRING"), EntryPoint(d, QStringLiteral("DOK (NAME)"))));
      QCOMPARE(d->LogFields()->item(8)->text(), QStringLiteral("DOK (SRX_STRING)"));
      // A double click takes a mapping back; the field returns at its place
      // in the file.
      QListWidget* right = d->LogFields();
      const QPoint rstSent = EntryPoint(d, QStringLiteral("RST_SENT (RST_SENT)"));
      QTest::mouseClick(right->viewport(), Qt::LeftButton, {}, rstSent);
      QTest::mouseDClick(right->viewport(), Qt::LeftButton, {}, rstSent);
      QCOMPARE(right->item(3)->text(), QStringLiteral("RST_SENT"));
      QCOMPARE(Items(d->FileFields()), (QStringList{"RST_SENT", "NAME"}));
      // A drop beside the entries does nothing.
      const QRect last = right->visualItemRect(right->item(8));
      DragTo(d, QStringLiteral("NAME"), QPoint(last.center().x(), last.bottom() + 2 * last.height()));
      QCOMPARE(Items(d->FileFields()), (QStringList{"RST_SENT", "NAME"}));
      QTest::keyClick(d, Qt::Key_Return);  // "Start" is the default button
    });
    ClickImport(w);
    QVERIFY(seen);

    QCOMPARE(f.platform.TextsOf(Kind::kInform),
             std::vector<std::string>{
                 "2 Datens\xE4tze importiert\r\n1 Calls doppelt\r\n"
                 "1 fehlende oder falsche Bandangaben\r\n1 fehlende oder falsche Modeangaben"});
    auto qsos = f.Qsos();
    QCOMPARE(f.Calls(), (std::vector<std::string>{"DL5EEE", "DL1ABC", "DL2XYZ"}));
    QsoRecord first = Fixture::Qso(qsos[1]);
    QCOMPARE(first.dok(), std::string("N01"));
    QCOMPARE(first.rcvdExch(), std::string("579N01"));
    QCOMPARE(first.band(), 'b');
    QCOMPARE(first.mode(), std::string("CW"));
    QCOMPARE(first.qsoDate(), DayNumberFromCivil({2026, 11, 14}));
    QCOMPARE(first.qsoTime(), 8 * 3600 + 5 * 60);
    QCOMPARE(first.nameQth(), std::string("HANS;"));
    QsoRecord second = Fixture::Qso(qsos[2]);
    QCOMPARE(second.dok(), std::string("N02"));
    QCOMPARE(second.band(), 'c');  // from the frequency
    QCOMPARE(second.mode(), std::string("SSB"));
    QCOMPARE(second.frequency(), 7.012f);

    // The window shows the new state at once and runs its clock again.
    QVERIFY(w.Clock().isActive());
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lNummer"))->text(), QStringLiteral("3"));
    QCOMPARE(w.Totals()->SummaryLine(0)->text(), QStringLiteral("3 QSO"));
    QStringList listed;
    for (int r = 0; r < w.List()->Grid()->rowCount(); ++r) {
      if (QTableWidgetItem* item = w.List()->Grid()->item(r, 3)) listed << item->text().trimmed();
    }
    QVERIFY(listed.contains(QStringLiteral("DL1ABC")));
    // A fresh entry with the call field to type into (the offscreen platform
    // leaves no window active after a modal one, so ask the window).
    QCOMPARE(w.focusWidget(), w.Entry()->Field(EntryField::kCall));
    QVERIFY(w.Entry()->Field(EntryField::kCall)->text().isEmpty());
  }

  // "Start" after choosing a file that is missing, and "Abbruch": nothing
  // is imported either way.
  void nothingIsImportedFromAMissingFileOrAfterAbbruch() {
    struct Case {
      const char* button;
      const char* message;  // the closing message, or nullptr
    };
    for (const Case c :
         {Case{"btnimportstart", "0 Datens\xE4tze importiert"}, Case{"BitBtn1", nullptr}}) {
      Fixture f;
      TContestLogStd& w = f.Open();
      f.platform.AnswerNextFileDialog(WriteFile(f.dir, "fremd.adi", kFile));
      const auto missing = f.dir / "fehlt.adi";
      f.platform.AnswerNextFileDialog(missing);
      bool seen = false;
      WhenModal<TFormadifimport>([&](TFormadifimport* d) {
        seen = true;
        auto* choose = d->findChild<QPushButton*>(QStringLiteral("btndatei"));
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(d->LogFields()->item(0)->text(), QStringLiteral("CALL (CALL)"));
        QCOMPARE(d->Records().size(), std::size_t{5});
        QTest::mouseClick(choose, Qt::LeftButton);
        QCOMPARE(f.platform.TextsOf(Kind::kInform),
                 std::vector<std::string>{"Datei existiert nicht"});
        QVERIFY(d->isVisible());
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("ldatei"))->text(),
                 QString::fromStdString(missing.string()));
        QCOMPARE(d->FileFields()->count(), 0);
        // The first file's records are not kept under the second name.
        QVERIFY(d->Records().empty());
        QTest::mouseClick(d->findChild<QPushButton*>(QString::fromLatin1(c.button)),
                          Qt::LeftButton);
      });
      ClickImport(w);
      QVERIFY(seen);
      std::vector<std::string> expected{"Datei existiert nicht"};
      if (c.message != nullptr) expected.emplace_back(c.message);
      QCOMPARE(f.platform.TextsOf(Kind::kInform), expected);
      QVERIFY(f.Qsos().empty());
      QVERIFY(w.Clock().isActive());
    }
  }
};

QTEST_MAIN(AdifImportFormTest)
#include "adif_import_form_test.moc"
