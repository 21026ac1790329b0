// The help page and its viewer: a section for every window's context number,
// and a viewer opened from a modal window that the operator can read and
// close while that window stays modal.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/ui/help_viewer.h"
#include "platform/ui/qt_platform.h"
#include "shell/help.h"

using namespace korv;

namespace {

std::filesystem::path ShareDir() { return std::filesystem::path(qgetenv("KORV_SHARE_DIR").toStdString()); }

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT
 private slots:
  void pageHasASectionForEveryWindow() {
    std::ifstream in(ShareDir() / kHelpFileName, std::ios::binary);
    QVERIFY(in.good());
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int context : {kHelpButtonContext, kMainWindowHelpContext, kConfigurationHelpContext, kLoggingHelpContext,
                        kOutputsHelpContext, kQsoListHelpContext, kAdifImportHelpContext}) {
      const std::string anchor = "name=\"ctx" + std::to_string(context) + "\"";
      QVERIFY2(page.find(anchor) != std::string::npos, anchor.c_str());
    }
    // Every key of the logging window is explained.
    for (const char* key : {"F1", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F12", "Alt+Q", "Alt+W", "Esc", "Entf"}) {
      const std::string cell = std::string("<td>") + key;
      QVERIFY2(page.find(cell) != std::string::npos, key);
    }
  }

  void viewerFromAModalWindowCanBeUsedAndClosed() {
    QtPlatform platform;
    QWidget main;
    main.resize(800, 600);
    main.show();
    QDialog modal(&main);
    modal.resize(400, 300);
    HelpViewer* viewer = nullptr;
    bool shown = false;
    bool closedByItsButton = false;
    bool stillModal = false;
    QString anchor;
    QTimer::singleShot(0, &modal, [&] {
      (void)HandleHelpRequest(platform, kHelpCommandContext, kConfigurationHelpContext, {ShareDir()});
      for (QWidget* w : QApplication::allWidgets()) {
        if (auto* v = qobject_cast<HelpViewer*>(w)) viewer = v;
      }
      if (viewer != nullptr && QTest::qWaitForWindowExposed(viewer)) {
        shown = viewer->isVisible();
        anchor = viewer->CurrentAnchor();
        // A click through the window system, which drops input to windows
        // that a modal window blocks.
        auto* close = viewer->findChild<QPushButton*>(QStringLiteral("btnSchliessen"));
        if (close != nullptr) {
          const QPoint at = close->mapTo(viewer, close->rect().center());
          QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
          closedByItsButton = !viewer->isVisible();
        }
      }
      stillModal = QApplication::activeModalWidget() == &modal;
      modal.reject();
    });
    modal.exec();
    QVERIFY(viewer != nullptr);
    QVERIFY(shown);
    QCOMPARE(anchor, QStringLiteral("ctx310110020"));
    QVERIFY(closedByItsButton);
    QVERIFY(stillModal);
  }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
