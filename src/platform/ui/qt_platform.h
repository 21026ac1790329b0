// The platform of the desktop program, on Qt Widgets.
#pragma once

#include <QPointer>

#include "platform/platform.h"
#include "platform/ui/help_viewer.h"

namespace korv {

class QtPlatform : public Platform {
 public:
  QtPlatform() = default;
  ~QtPlatform() override;

  bool AskYesNo(std::string_view text) override;
  bool AskBeforeDestroying(std::string_view text) override;
  void Inform(std::string_view text) override;
  void Warn(std::string_view text) override;
  void ShowError(std::string_view text) override;
  void Beep() override;
  bool ShellOpen(std::string_view target) override;
  bool ShowHelp(const std::filesystem::path& helpFile, int contextNumber) override;
  std::optional<std::filesystem::path> AskSaveFileName(const FileDialogRequest& request) override;
  std::optional<std::filesystem::path> AskOpenFileName(const FileDialogRequest& request) override;
  std::unique_ptr<PrintDocument> BeginPrint(const PrintRequest& request) override;
  std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption) override;
  void ProcessPendingEvents() override;
  LocalDateTime Now() override { return SystemNow(); }

 private:
  QPointer<HelpViewer> m_helpViewer;
};

}  // namespace korv
