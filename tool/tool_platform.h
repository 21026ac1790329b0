// The platform of the command-line tool: messages go to the error stream
// (UTF-8), questions get the answer the command's options decided (No by
// default, the safe answer), there are no windows, print jobs go into PDF
// files, and the clock is the computer's.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace korv::tool {

class ToolPlatform : public Platform {
 public:
  explicit ToolPlatform(std::ostream& err, bool answerYes = false) : err_(err), answerYes_(answerYes) {}

  bool AskYesNo(std::string_view text) override;
  void Inform(std::string_view text) override;
  void Warn(std::string_view text) override { Inform(text); }
  void ShowError(std::string_view text) override { Inform(text); }
  void Beep() override {}
  bool ShellOpen(std::string_view) override { return false; }
  bool ShowHelp(const std::filesystem::path&, int) override { return false; }
  std::optional<std::filesystem::path> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::filesystem::path> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  // Prints into the request's PDF file; there is no printer dialog.
  std::unique_ptr<PrintDocument> BeginPrint(const PrintRequest& request) override;
  std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption) override;
  void ProcessPendingEvents() override {}
  LocalDateTime Now() override { return SystemNow(); }

  void SetAnswerYes(bool yes) { answerYes_ = yes; }
  // Every message shown so far (Windows-1252), in order.
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::ostream& err_;
  bool answerYes_;
  std::vector<std::string> messages_;
};

}  // namespace korv::tool
