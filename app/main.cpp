// Program entry of Korv DEZ: the application object, the German texts of
// Qt's standard dialogs, the start directory, the program's files and the
// main window.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <filesystem>
#include <system_error>

#include "platform/ui/qt_platform.h"
#include "shell/program_session.h"
#include "shell/program_state.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/contest_list.h"
#include "shell/ui/program_windows.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korv DEZ"));
  QApplication::setApplicationDisplayName(QStringLiteral("Korv DEZ"));

  // "Ja", "Nein", "Abbrechen" on the standard buttons.
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTranslator);
  }

  korv::ProgramState state;
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  state.startDirectory = cwd.string() + "/";

  const std::filesystem::path appDir = QApplication::applicationDirPath().toStdString();
  korv::MainWindowSetup setup;
  setup.helpSearchDirs = {cwd, appDir / ".." / "share" / "korv-dez", appDir / "share" / "korv-dez"};

  korv::QtPlatform platform;
  korv::PlatformFatalHandler fatalHandler(platform);
  korv::SessionOptions sessionOptions;
  sessionOptions.dataDirectory = cwd;
  sessionOptions.fatalHandler = &fatalHandler;
  korv::ProgramSession session(platform, state, sessionOptions);
  switch (session.Start()) {
    case korv::ProgramSession::StartResult::kOk:
      break;
    case korv::ProgramSession::StartResult::kEngineFailed:
      return 1;
    case korv::ProgramSession::StartResult::kProfilesFailed:
      session.Stop();
      return 1;
  }

  korv::TContestBrow window(platform, state, setup);
  korv::ProgramWindowsSetup windowsSetup;
  windowsSetup.dataDirectory = cwd;
  windowsSetup.helpSearchDirs = setup.helpSearchDirs;
  korv::ContestListHooks hooks = korv::WireProgramWindows(platform, session, state, window, windowsSetup);
  korv::ContestList contestList(platform, session, state, window, hooks);

  // The window fills the screen (also without a window manager that maximises).
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.setGeometry(screen->availableGeometry());
  }
  window.showMaximized();
  // A first start creates its first log at once.
  QTimer::singleShot(0, &window, [&contestList] { contestList.NewWhenDirectoryEmpty(); });
  const int exitCode = QApplication::exec();
  session.Stop();
  return exitCode;
}
