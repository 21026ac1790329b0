// The rules window and the text display window, offscreen: which file the
// rules window shows, and what the text window saves and prints.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"
#include "shell/ui/text_windows.h"
#include "support/test_support.h"

using namespace korv;

namespace {

std::string Read(const std::filesystem::path& p) {
  const auto bytes = testing::ReadAll(p);
  return {bytes.begin(), bytes.end()};
}

void Write(const std::filesystem::path& p, const std::string& text) {
  testing::WriteAll(p, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Runs `action` on the modal window once it is shown.
void WhenModal(std::function<void(QWidget&)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) qFatal("no modal window");
    action(*modal);
  });
}

void ClickButton(QWidget& w, const char* name) {
  auto* b = w.findChild<QPushButton*>(QString::fromLatin1(name));
  if (b == nullptr) qFatal("no button %s", name);
  QTest::mouseClick(b, Qt::LeftButton);
}

}  // namespace

class TextWindowsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void rulesWindowShowsTheFileOfTheCode() {
    const std::filesystem::path dir = testing::MakeTempDir("rules");
    Write(dir / "WNCr.RTF", "{\\rtf1{\\fonttbl{\\f0 Arial;}}DEZ-Regeln\\par K\\'f6ln}");
    Write(dir / "MVPR.RTF", "{\\rtf1 Allgemeine Regeln}");
    struct Case {
      ContestCode code;
      QString text;
    } cases[] = {{'3', QStringLiteral("DEZ-Regeln\nKöln")}, {'g', QStringLiteral("Allgemeine Regeln")}};
    for (const Case& c : cases) {
      ScriptedPlatform platform;
      QString shown;
      QString title;
      WhenModal([&](QWidget& w) {
        title = w.windowTitle();
        shown = w.findChild<QPlainTextEdit*>(QStringLiteral("redit"))->toPlainText();
        ClickButton(w, "btnDrucken");
        ClickButton(w, "btnSchliessen");
      });
      ShowRules(platform, c.code, {dir});
      QCOMPARE(title, QStringLiteral("Regeln"));
      QCOMPARE(shown, c.text);
      QCOMPARE(platform.PrintJobs().size(), std::size_t{1});
      QCOMPARE(platform.PrintJobs()[0].documentTitle, std::string("Contest-Regeln"));
      QVERIFY(platform.ShownTexts().empty());
    }
    // A missing file: an error, and no window.
    std::filesystem::remove(dir / "WNCr.RTF");
    ScriptedPlatform platform;
    ShowRules(platform, '3', {dir});
    QCOMPARE(platform.TextsOf(ScriptedPlatform::Kind::kError),
             std::vector<std::string>{"Die Datei WNCr.RTF konnte nicht gelesen werden."});
    std::filesystem::remove_all(dir);
  }

  void shippedRulesFileIsFoundAndStatesTheRules() {
    const std::filesystem::path dataDir = testing::MakeTempDir("rules-shipped");
    const std::filesystem::path shareDir = qgetenv("KORV_SHARE_DIR").toStdString();
    ScriptedPlatform platform;
    QString shown;
    WhenModal([&](QWidget& w) {
      shown = w.findChild<QPlainTextEdit*>(QStringLiteral("redit"))->toPlainText();
      ClickButton(w, "btnSchliessen");
    });
    ShowRules(platform, '3', {dataDir, shareDir});
    QVERIFY(platform.ShownTexts().empty());
    // Bands, modes, exchange, points and who gets them, multipliers, dupes, score.
    for (const char* fact : {"80 m", "40 m", "10 m", "SSB und CW", "DOK", "5 Punkte", "DR2DEZ", "10 Punkte", "DK0VZ",
                             "einmal je Band", "Z80", "Sonder-DOK", "bereits auf", "Ergebnis", "ß", "ä"}) {
      QVERIFY2(shown.contains(QString::fromUtf8(fact)), fact);
    }
    // Nothing of the RTF markup reaches the reader.
    QVERIFY(!shown.contains(QLatin1Char('\\')) && !shown.contains(QLatin1Char('{')));
    // An organiser's file in the data directory wins.
    Write(dataDir / "WNCr.RTF", "{\\rtf1 Eigene Regeln}");
    WhenModal([&](QWidget& w) {
      shown = w.findChild<QPlainTextEdit*>(QStringLiteral("redit"))->toPlainText();
      ClickButton(w, "btnSchliessen");
    });
    ShowRules(platform, '3', {dataDir, shareDir});
    QCOMPARE(shown, QStringLiteral("Eigene Regeln"));
    std::filesystem::remove_all(dataDir);
  }

  void textWindowSavesAndPrintsTheFile() {
    const std::filesystem::path dir = testing::MakeTempDir("textfile");
    const std::filesystem::path file = dir / "DL1ABC.STF";
    Write(file, "Zeile 1\r\nZeile 2\r\n");
    ScriptedPlatform platform;

    // Escape: nothing is saved.
    WhenModal([](QWidget& w) {
      QTest::keyClicks(w.findChild<QPlainTextEdit*>(QStringLiteral("redit")), QStringLiteral("weg"));
      QTest::keyClick(&w, Qt::Key_Escape);
    });
    QVERIFY(!ShowTextFile(platform, file));
    QCOMPARE(Read(file), std::string("Zeile 1\r\nZeile 2\r\n"));

    // Typed corrections are saved, with CR LF, and printed under the file's name.
    WhenModal([](QWidget& w) {
      auto* edit = w.findChild<QPlainTextEdit*>(QStringLiteral("redit"));
      edit->moveCursor(QTextCursor::End);
      QTest::keyClicks(edit, QStringLiteral("Zeile 3"));
      ClickButton(w, "btnDrucken");
      ClickButton(w, "btnSpeichern");
    });
    QVERIFY(ShowTextFile(platform, file));
    QCOMPARE(Read(file), std::string("Zeile 1\r\nZeile 2\r\nZeile 3\r\n"));
    QCOMPARE(platform.PrintJobs().size(), std::size_t{1});
    QCOMPARE(platform.PrintJobs()[0].documentTitle, std::string("DL1ABC.STF"));
    QCOMPARE(platform.PrintJobs()[0].texts.size(), std::size_t{3});
    std::filesystem::remove_all(dir);
  }
};

QTEST_MAIN(TextWindowsTest)
#include "text_windows_test.moc"
