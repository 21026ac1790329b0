// A Platform for tests: questions and dialogs are answered from a script,
// every text shown and every request made is recorded, and the clock stands
// still where the test puts it.
//
// A question that the script did not expect is answered No (the safe answer)
// and counted in UnexpectedQuestions(), so a test can assert that none came.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace korv {

class ScriptedPlatform : public Platform {
 public:
  enum class Kind { kQuestion, kInform, kWarn, kError };
  struct Shown {
    Kind kind;
    std::string text;
  };
  struct HelpShown {
    std::filesystem::path file;
    int contextNumber;
  };
  struct PrintedText {
    int page;  // 1-based
    int x;
    int y;
    PrintFont font;
    std::string text;
  };
  struct PrintJob {
    std::string documentTitle;
    std::filesystem::path pdfFile;
    std::filesystem::path pdfProposal;
    std::vector<PrintedText> texts;
    int pages = 1;
    bool ended = false;
  };
  struct ProgressEvent {
    std::string caption;
    std::string text;
    int maximum;
    int position;
  };

  // Script.
  void AnswerNextQuestion(bool yes) { answers_.push_back(yes); }
  void AnswerNextFileDialog(std::optional<std::filesystem::path> path) {
    fileAnswers_.push_back(std::move(path));
  }
  void CancelNextPrint() { cancelNextPrint_ = true; }
  void SetHelpResult(bool ok) { helpResult_ = ok; }
  void SetShellOpenResult(bool ok) { shellOpenResult_ = ok; }
  void SetNow(LocalDateTime now) { now_ = now; }
  // Geometry of the recording printer: 600 dpi, A4 printable area.
  void SetPrinterGeometry(int resolution, int width, int height);

  // Record.
  const std::vector<Shown>& ShownTexts() const { return shown_; }
  std::vector<std::string> TextsOf(Kind kind) const;
  int UnexpectedQuestions() const { return unexpectedQuestions_; }
  int PendingAnswers() const { return static_cast<int>(answers_.size()); }
  int Beeps() const { return beeps_; }
  const std::vector<std::string>& ShellOpened() const { return shellOpened_; }
  const std::vector<HelpShown>& HelpRequests() const { return helpRequests_; }
  const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  const std::vector<PrintJob>& PrintJobs() const { return printJobs_; }
  const std::vector<ProgressEvent>& ProgressEvents() const { return progressEvents_; }
  int PendingEventCalls() const { return pendingEventCalls_; }
  void ClearRecord();

  // Platform.
  bool AskYesNo(std::string_view text) override;
  // Recorded as a question, and among DestroyingQuestions().
  bool AskBeforeDestroying(std::string_view text) override;
  const std::vector<std::string>& DestroyingQuestions() const { return destroyingQuestions_; }
  void Inform(std::string_view text) override;
  void Warn(std::string_view text) override;
  void ShowError(std::string_view text) override;
  void Beep() override { ++beeps_; }
  bool ShellOpen(std::string_view target) override;
  bool ShowHelp(const std::filesystem::path& helpFile, int contextNumber) override;
  std::optional<std::filesystem::path> AskSaveFileName(const FileDialogRequest& request) override;
  std::optional<std::filesystem::path> AskOpenFileName(const FileDialogRequest& request) override;
  std::unique_ptr<PrintDocument> BeginPrint(const PrintRequest& request) override;
  std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption) override;
  void ProcessPendingEvents() override { ++pendingEventCalls_; }
  LocalDateTime Now() override { return now_; }

 private:
  class RecordingPrintDocument;
  class RecordingProgressWindow;
  std::optional<std::filesystem::path> NextFileAnswer(const FileDialogRequest& request);

  std::deque<bool> answers_;
  std::deque<std::optional<std::filesystem::path>> fileAnswers_;
  bool cancelNextPrint_ = false;
  bool helpResult_ = true;
  bool shellOpenResult_ = true;
  int printerResolution_ = 600;
  int printerWidth_ = 4760;
  int printerHeight_ = 6814;
  // 15.06.2009 12:00:00, a fixed day so that tests never depend on the calendar.
  LocalDateTime now_{DayNumberFromCivil({2009, 6, 15}), 12 * 3600};

  std::vector<Shown> shown_;
  std::vector<std::string> destroyingQuestions_;
  int unexpectedQuestions_ = 0;
  int beeps_ = 0;
  int pendingEventCalls_ = 0;
  std::vector<std::string> shellOpened_;
  std::vector<HelpShown> helpRequests_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::vector<PrintJob> printJobs_;
  std::vector<ProgressEvent> progressEvents_;
};

}  // namespace korv
