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
#include <algorithm>
#include <system_error>
#include <vector>

#include "logging/ui/contest_log_std.h"
#include "output/ui/eing_contest_std.h"
#include "platform/ui/qt_platform.h"
#include "shell/program_session.h"
#include "shell/program_state.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/contest_list.h"
#include "shell/ui/text_windows.h"

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

  korv::ConfigurationSetup configurationSetup;
  configurationSetup.helpSearchDirs = setup.helpSearchDirs;
  configurationSetup.outputDirectory = cwd;
  configurationSetup.showRules = [&platform, &cwd](korv::ContestCode code) {
    korv::ShowRules(platform, code, cwd, QApplication::activeModalWidget());
  };
  configurationSetup.showTextFile = [&platform](const std::filesystem::path& file) {
    (void)korv::ShowTextFile(platform, file, QApplication::activeModalWidget());
  };
  korv::ContestListHooks hooks;
  hooks.openConfiguration = [&](bool logExists, bool evaluationOnly, korv::ContestCode code) {
    korv::TEingContestStd dialog(platform, session, state, configurationSetup, &window);
    return dialog.Open(logExists, evaluationOnly, code);
  };
  // The logging window, opened modally for the log with its own copy of the
  // presets; the list writes the header and totals buffers back afterwards.
  hooks.openLogging = [&](std::int32_t contestNumber, const korv::ContestRules& rules) {
    korv::FileBlock& directory = session.contestDirectory();
    korv::KeyString key;
    key.AppendLong(contestNumber);
    if (!directory.FindExact(3, key).ok()) return;
    std::vector<std::uint8_t> header(directory.Record().begin(), directory.Record().end());
    korv::LoggingContext context;
    context.platform = &platform;
    context.catalogue = &session.catalogue();
    context.directory = &directory;
    context.totals = &session.totals();
    context.settings = session.settings();
    context.dataDirectory = cwd;
    context.uiGerman = state.uiGerman;
    (void)korv::TContestLogStd::Run(context, header, rules, &window);
    // The directory's buffer holds the log's header as the window stored it.
    if (directory.FindExact(3, key).ok()) {
      std::copy(header.begin(), header.end(), directory.Record().begin());
    }
  };
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
