// Program entry of Korv DEZ: the application object, the German texts of
// Qt's standard dialogs, the data folder, the program's files and the main
// window.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "platform/ui/qt_platform.h"
#include "platform/ui/qt_text.h"
#include "shell/program_session.h"
#include "shell/program_state.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/contest_list.h"
#include "shell/ui/program_windows.h"

namespace {

struct DataFolder {
  std::filesystem::path path;  // absolute; empty when it could not be entered
  QString error;               // why not, for the user
};

// The data folder is $KORV_DATA, else ~/.local/share/korv-dez (the rule
// run-korv applies, so a program started from the desktop menu and one
// started by run-korv see the same logs). It is created when missing and
// made the working directory: every file name the program keeps relative
// (data files, outputs, pictures, the print dialog's PDF proposal) lands
// there, never beside the installed binary. A relative KORV_DATA is taken
// from the directory the program is started in.
DataFolder EnterDataFolder() {
  std::filesystem::path folder;
  const char* chosen = std::getenv("KORV_DATA");
  const char* home = std::getenv("HOME");
  if (chosen != nullptr && *chosen != '\0') {
    folder = chosen;
  } else if (home != nullptr && *home != '\0') {
    folder = std::filesystem::path(home) / ".local" / "share" / "korv-dez";
  } else {
    return {{}, QStringLiteral("Kein Datenordner: weder KORV_DATA noch HOME ist gesetzt.")};
  }
  std::error_code ec;
  folder = std::filesystem::absolute(folder, ec);
  if (!ec) std::filesystem::create_directories(folder, ec);
  if (!ec) std::filesystem::current_path(folder, ec);
  if (!ec) folder = std::filesystem::current_path(ec);
  if (ec) {
    return {{}, QStringLiteral("Der Datenordner %1 kann nicht angelegt werden: %2")
                    .arg(QString::fromStdString(folder.string()), QString::fromStdString(ec.message()))};
  }
  return {folder, {}};
}

}  // namespace

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

  korv::QtPlatform platform;
  const DataFolder data = EnterDataFolder();
  if (data.path.empty()) {
    std::cerr << "korv-dez: " << data.error.toStdString() << "\n";
    platform.ShowError(korv::FromQString(data.error));
    return 1;
  }
  const std::filesystem::path& cwd = data.path;
  korv::ProgramState state;
  state.startDirectory = cwd.string() + "/";

  // The help page and rules file: <prefix>/bin/../share/korv-dez when
  // installed, <build>/app/../share/korv-dez in a build tree. The data folder
  // comes first, so that a user's own help page or rules file wins.
  const std::filesystem::path appDir = QApplication::applicationDirPath().toStdString();
  korv::MainWindowSetup setup;
  setup.helpSearchDirs = {cwd, appDir / ".." / "share" / "korv-dez", appDir / "share" / "korv-dez"};
  setup.pictureDir = cwd;

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
