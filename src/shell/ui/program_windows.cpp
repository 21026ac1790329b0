#include "shell/ui/program_windows.h"

#include <QApplication>
#include <algorithm>

#include "logging/ui/contest_log_std.h"
#include "output/ui/eing_contest_std.h"
#include "shell/contest_note.h"
#include "shell/ui/contest_brow.h"
#include "shell/ui/note_window.h"
#include "shell/ui/programs_window.h"
#include "shell/ui/text_windows.h"

namespace korv {
namespace {

// F6 / btnNotiz: the note of the contest name. The window's place goes into
// the session's header, which reaches the contest directory at once.
void OpenNote(Platform& platform, const std::filesystem::path& dataDirectory, TContestLogStd& window) {
  EntrySession& session = window.Session();
  const LocalDateTime now = platform.Now();
  ContestNoteRequest request;
  request.file = dataDirectory / ContestNoteFileName(session.header().name());
  request.call = session.entry().call();
  request.date = now.date;
  request.time = now.time;
  request.datePicture = session.settings().datePicture;
  request.timePicture = session.settings().timePicture;
  (void)EditContestNote(platform, request, session.header(), &window);
  session.StoreHeader();
}

}  // namespace

ContestListHooks WireProgramWindows(Platform& platform, ProgramSession& session, ProgramState& state,
                                    TContestBrow& mainWindow, const ProgramWindowsSetup& setup) {
  QObject::connect(&mainWindow, &TContestBrow::furtherProgramsRequested, &mainWindow,
                   [&platform, &mainWindow] { ShowFurtherPrograms(platform, &mainWindow); });

  ConfigurationSetup configurationSetup;
  configurationSetup.helpSearchDirs = setup.helpSearchDirs;
  configurationSetup.outputDirectory = setup.dataDirectory;
  std::vector<std::filesystem::path> rulesDirs{setup.dataDirectory};
  rulesDirs.insert(rulesDirs.end(), setup.helpSearchDirs.begin(), setup.helpSearchDirs.end());
  configurationSetup.showRules = [&platform, rulesDirs](ContestCode code) {
    ShowRules(platform, code, rulesDirs, QApplication::activeModalWidget());
  };
  configurationSetup.showTextFile = [&platform](const std::filesystem::path& file) {
    (void)ShowTextFile(platform, file, QApplication::activeModalWidget());
  };

  ContestListHooks hooks;
  hooks.openConfiguration = [&platform, &session, &state, &mainWindow, configurationSetup](
                                bool logExists, bool evaluationOnly, ContestCode code) {
    TEingContestStd dialog(platform, session, state, configurationSetup, &mainWindow);
    return dialog.Open(logExists, evaluationOnly, code);
  };
  // The logging window, opened modally for the log with its own copy of the
  // presets; the list writes the header and totals buffers back afterwards.
  hooks.openLogging = [&platform, &session, &state, &mainWindow, dir = setup.dataDirectory,
                       helpDirs = setup.helpSearchDirs](
                          std::int32_t contestNumber, const ContestRules& rules) {
    FileBlock& directory = session.contestDirectory();
    KeyString key;
    key.AppendLong(contestNumber);
    if (!directory.FindExact(3, key).ok()) return;
    std::vector<std::uint8_t> header(directory.Record().begin(), directory.Record().end());
    LoggingContext context;
    context.platform = &platform;
    context.catalogue = &session.catalogue();
    context.directory = &directory;
    context.totals = &session.totals();
    context.settings = session.settings();
    context.dataDirectory = dir;
    context.helpSearchDirs = helpDirs;
    context.longExactCalls = &session.longExactCalls();
    context.callHistory = session.callHistory();
    context.partialCalls = session.partialCalls();
    context.referenceCalls = session.referenceCalls();
    context.uiGerman = state.uiGerman;
    (void)TContestLogStd::Run(context, header, rules, &mainWindow, [&platform, dir](TContestLogStd& window) {
      QObject::connect(&window, &TContestLogStd::noteRequested, &window,
                       [&platform, dir, &window] { OpenNote(platform, dir, window); });
      QObject::connect(&window, &TContestLogStd::furtherProgramsRequested, &window,
                       [&platform, &window] { ShowFurtherPrograms(platform, &window); });
    });
    // The directory's buffer holds the log's header as the window stored it.
    if (directory.FindExact(3, key).ok()) {
      std::copy(header.begin(), header.end(), directory.Record().begin());
    }
  };
  return hooks;
}

}  // namespace korv
