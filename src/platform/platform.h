// What stands in for the desktop platform: message boxes, the beep, opening
// documents and addresses, the help viewer, file and print dialogs, the
// progress window and the clock.
//
// The core talks only to this interface. The program installs the Qt
// implementation (platform/ui/qt_platform.h); tests install ScriptedPlatform,
// which answers from a script and records everything shown. All texts are
// Windows-1252 bytes, as everywhere in the core.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/dates.h"

namespace korv {

// The computer's clock (local time, before any UTC offset of the settings).
struct LocalDateTime {
  DayNumber date = kNoDate;
  TimeOfDay time = kNoTime;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

struct FileDialogRequest {
  std::string caption;        // window title
  std::string filterCaption;  // e.g. "STF-Datei"
  std::string filterPattern;  // e.g. "*.stf", several as "*.ADI;*.ADIF"; empty: all files
  std::filesystem::path directory;
  std::string proposedName;   // file name offered in the dialog
};

// A long operation's progress window. Every call lets pending window
// messages run; the operation cannot be cancelled from it.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetRange(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  virtual void SetText(std::string_view text) = 0;
};

struct PrintFont {
  std::string family = "Courier New";
  int pointSize = 10;
  bool bold = false;
  friend bool operator==(const PrintFont&, const PrintFont&) = default;
};

// One print job. Coordinates are device pixels of the printable area, origin
// at its top left; Resolution() gives pixels per inch.
class PrintDocument {
 public:
  virtual ~PrintDocument() = default;
  virtual int Resolution() const = 0;
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;
  virtual void SetFont(const PrintFont& font) = 0;
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  virtual void NewPage() = 0;
  // Finishes the job. False when the device failed.
  virtual bool End() = 0;
};

struct PrintRequest {
  std::string documentTitle;
  // Set: print into this PDF file without asking. Empty: show the print dialog.
  std::filesystem::path pdfFile;
  // The file the print dialog's "print to PDF" proposes when the system has
  // no printer (a relative path is taken from the current directory).
  std::filesystem::path pdfProposal;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Modal question with Yes and No. True only for Yes; closing the box is No.
  virtual bool AskYesNo(std::string_view text) = 0;
  // The same for a question whose Yes destroys data: "Nein" is the default
  // button, so that Enter keeps the data.
  virtual bool AskBeforeDestroying(std::string_view text) { return AskYesNo(text); }
  // Modal notice with OK.
  virtual void Inform(std::string_view text) = 0;
  virtual void Warn(std::string_view text) = 0;
  virtual void ShowError(std::string_view text) = 0;
  // The desktop's default beep.
  virtual void Beep() = 0;
  // Opens a web address, an e-mail address ("mailto:...") or a document with
  // the desktop's opener, never through a shell command line. Failures are
  // not reported to the user; the result says whether the opener took it.
  virtual bool ShellOpen(std::string_view target) = 0;
  // Shows the help file at the topic of the context number. False when the
  // viewer could not show the file.
  virtual bool ShowHelp(const std::filesystem::path& helpFile, int contextNumber) = 0;
  // Save/open dialogs; nullopt when the user cancelled.
  virtual std::optional<std::filesystem::path> AskSaveFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::filesystem::path> AskOpenFileName(const FileDialogRequest& request) = 0;
  // Starts a print job (print dialog unless a PDF file is named); nullptr when
  // the user cancelled or the device could not be opened.
  virtual std::unique_ptr<PrintDocument> BeginPrint(const PrintRequest& request) = 0;
  virtual std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption) = 0;
  // Lets pending window messages run (long operations call it between steps).
  virtual void ProcessPendingEvents() = 0;
  virtual LocalDateTime Now() = 0;
};

// The computer's local clock, for implementations without a fixed clock.
LocalDateTime SystemNow();

}  // namespace korv
