// The main window, offscreen, driven by real key presses and clicks; every
// message box goes to the scripted platform.
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/scripted_platform.h"
#include "shell/help.h"
#include "shell/ui/contest_brow.h"

using namespace korv;

class ContestBrowTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    ScriptedPlatform platform;
    ProgramState state;
    QTemporaryDir dir;
    std::unique_ptr<TContestBrow> window;

    explicit Fixture(bool withHelpFile = true) {
      if (withHelpFile) WriteFile(kHelpFileName);
    }
    std::filesystem::path Dir() const { return dir.path().toStdString(); }
    void WriteFile(const char* name) const {
      QFile f(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("<html><body><a name=\"ctx1\">Hilfe</a></body></html>");
    }
    void WriteBitmap(const char* name, int w, int h) const {
      QImage image(w, h, QImage::Format_RGB32);
      image.fill(Qt::red);
      QVERIFY(image.save(dir.filePath(QString::fromLatin1(name)), "BMP"));
    }
    TContestBrow& Open(int screenWidth = 1280) {
      MainWindowSetup setup;
      setup.helpSearchDirs = {Dir()};
      setup.pictureDir = Dir();
      setup.screenWidth = screenWidth;
      window = std::make_unique<TContestBrow>(platform, state, setup);
      window->resize(1200, 800);
      window->show();
      window->activateWindow();
      return *window;
    }
  };

  template <typename T>
  static T* Child(QWidget& w, const char* name) {
    T* child = w.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no child %s", name);
    return child;
  }

  static void Key(QWidget& window, Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : &window, key);
  }

 private slots:
  void showsCaptionAndQuotedTitle() {
    Fixture f;
    TContestBrow& w = f.Open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Belvent Korv DEZ Version 2006-1.0"));
    QLabel* title = Child<QLabel>(w, "lworked");
    QVERIFY(title->isVisible());
    QCOMPARE(title->text(), QStringLiteral("\"Vuduzazav Izaz Eriredu\""));
    QCOMPARE(Child<QLabel>(w, "MenueBeenden")->text(), QStringLiteral("    Beenden"));
    QCOMPARE(Child<QLabel>(w, "lListTitle")->text(), QStringLiteral("Liste der Conteste"));
    QStringList captions;
    for (const char* name : {"btnNeu", "btnStarten", "btnLoeschen", "btnSchliessen", "btnHilfe"}) {
      auto* b = Child<QPushButton>(w, name);
      QVERIFY(b->isVisible());
      captions << b->text();
    }
    QCOMPARE(captions, (QStringList{"Neu", "Starten", "Löschen", "Schließen", "Hilfe"}));
    QVERIFY(!Child<QPushButton>(w, "btnStartF10")->isVisible());
    QVERIFY(!Child<QWidget>(w, "panelabgleich")->isVisible());
    QCOMPARE(f.state.activeContestCode, '3');
  }

  void escapeAsksBeforeClosing() {
    Fixture f;
    TContestBrow& w = f.Open();
    f.platform.AnswerNextQuestion(false);
    Key(w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    f.platform.AnswerNextQuestion(true);
    Key(w, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(f.platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
             (std::vector<std::string>{"Programm beenden?", "Programm beenden?"}));
    QCOMPARE(f.platform.UnexpectedQuestions(), 0);
  }

  void enterAndF10ClickStarten() {
    Fixture f;
    TContestBrow& w = f.Open();
    QSignalSpy start(&w, &TContestBrow::startRequested);
    Key(w, Qt::Key_Return);
    Key(w, Qt::Key_Enter);
    Key(w, Qt::Key_F10);
    QCOMPARE(start.count(), 3);
    QVERIFY(f.platform.ShownTexts().empty());
  }

  void closeLabelAndButtonCloseWithoutAsking() {
    for (const char* name : {"MenueBeenden", "btnSchliessen"}) {
      Fixture f;
      TContestBrow& w = f.Open();
      QTest::mouseClick(Child<QWidget>(w, name), Qt::LeftButton);
      QVERIFY2(!w.isVisible(), name);
      QVERIFY(f.platform.ShownTexts().empty());
    }
  }

  void helpCarriesTheContextNumber() {
    Fixture f;
    TContestBrow& w = f.Open();
    QTest::mouseClick(w.btnHilfe(), Qt::LeftButton);
    Key(w, Qt::Key_F1);
    const auto& requests = f.platform.HelpRequests();
    QCOMPARE(requests.size(), std::size_t{2});
    QCOMPARE(requests[0].contextNumber, 1);
    QCOMPARE(requests[1].contextNumber, 310110018);
    QCOMPARE(requests[0].file, f.Dir() / "korvcont.html");
  }

  void helpWithoutFileDoesNothingAndViewerFailureWarns() {
    {
      Fixture f(/*withHelpFile=*/false);
      TContestBrow& w = f.Open();
      QTest::mouseClick(w.btnHilfe(), Qt::LeftButton);
      QVERIFY(f.platform.HelpRequests().empty());
      QVERIFY(f.platform.ShownTexts().empty());
    }
    {
      Fixture f;
      TContestBrow& w = f.Open();
      f.platform.SetHelpResult(false);
      QTest::mouseClick(w.btnHilfe(), Qt::LeftButton);
      const auto warnings = f.platform.TextsOf(ScriptedPlatform::Kind::kWarn);
      QCOMPARE(warnings.size(), std::size_t{1});
      QVERIFY(warnings[0].find("-mapid 1 korvcont.html") != std::string::npos);
    }
    // Only context help is handled by the hook.
    Fixture f;
    TContestBrow& w = f.Open();
    QVERIFY(!w.HelpHandler(2, 1));
    QVERIFY(w.HelpHandler(kHelpCommandContext, 1));
  }

  void ownCallOrListenerNumberBesideTheTitle() {
    struct Case {
      std::string call, swl;
      QString shown;
    } cases[] = {{"", "", ""}, {"", "DE-1234", "DE-1234"}, {"DL1ABC", "DE-1234", "DL1ABC"}};
    for (const Case& c : cases) {
      Fixture f;
      f.state.ownCall = c.call;
      f.state.swlNumber = c.swl;
      TContestBrow& w = f.Open();
      QLabel* call = Child<QLabel>(w, "lCall");
      QLabel* forLabel = Child<QLabel>(w, "lUtils");
      QCOMPARE(call->text(), c.shown);
      QCOMPARE(call->isVisible(), !c.shown.isEmpty());
      QCOMPARE(forLabel->isVisible(), !c.shown.isEmpty());
      QCOMPARE(forLabel->text(), QStringLiteral("für"));
      QVERIFY(call->text() != QStringLiteral("DEMO"));
    }
  }

  void picturesShownOnlyWhenTheirFilesExist() {
    {
      Fixture f;
      TContestBrow& w = f.Open();
      QVERIFY(!Child<QLabel>(w, "imgtitel")->isVisible());
      QVERIFY(!Child<QLabel>(w, "imglinks")->isVisible());
    }
    Fixture f;
    f.WriteBitmap("titel_korvwnc.bmp", 300, 40);
    f.WriteBitmap("westfalen-nord.bmp", 90, 110);
    TContestBrow& w = f.Open();
    QLabel* title = Child<QLabel>(w, "imgtitel");
    QLabel* logo = Child<QLabel>(w, "imglinks");
    QVERIFY(title->isVisible());
    QVERIFY(logo->isVisible());
    QCOMPARE(title->size(), QSize(300, 40));
    QCOMPARE(logo->size(), QSize(90, 110));
    QVERIFY(logo->hasScaledContents());
  }

  void layoutFollowsTheScreenWidth() {
    {
      Fixture f;
      f.WriteBitmap("westfalen-nord.bmp", 90, 110);
      TContestBrow& w = f.Open(1280);
      QLabel* logo = Child<QLabel>(w, "imglinks");
      QLabel* title = Child<QLabel>(w, "lworked");
      QWidget* panel = Child<QWidget>(w, "panelContest");
      QCOMPARE(logo->pos(), QPoint(100, 135));
      QCOMPARE(title->geometry().bottom() + 1, 135);
      QCOMPARE(panel->x(), 100 + 90 + 50);
      QCOMPARE(title->x(), panel->x());
      QCOMPARE(panel->geometry().right() + 1, w.width() - 90);
      QCOMPARE(panel->y(), title->geometry().bottom() + 1 + 20);
      // The list ends 40 above the bottom, or higher where the hints need the room.
      QVERIFY(panel->geometry().bottom() + 1 <= w.height() - 40);
      QVERIFY(panel->geometry().bottom() < Child<QWidget>(w, "lhinweisupdate2")->y());
      QVERIFY(panel->geometry().bottom() < Child<QWidget>(w, "lMaker")->y());
      QCOMPARE(Child<QWidget>(w, "Image2")->geometry(), QRect(0, 0, 170, w.height()));
    }
    Fixture f;
    f.WriteBitmap("westfalen-nord.bmp", 90, 110);
    TContestBrow& w = f.Open(800);
    QLabel* logo = Child<QLabel>(w, "imglinks");
    QLabel* title = Child<QLabel>(w, "lworked");
    QWidget* panel = Child<QWidget>(w, "panelContest");
    QCOMPARE(logo->y(), 52);
    QCOMPARE(panel->x(), logo->geometry().right() + 1 + 10);
    QCOMPARE(panel->geometry().right() + 1, w.width() - 30);
    QCOMPARE(panel->y(), title->geometry().bottom() + 1 + 30);
    QWidget* button = Child<QWidget>(w, "btnweitere");
    QCOMPARE(button->geometry().bottom() + 1, w.height() - 5);
  }
};

QTEST_MAIN(ContestBrowTest)
#include "contest_brow_test.moc"
