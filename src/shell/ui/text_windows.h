// The text windows of the shell: the rules window of a contest code
// (Twagregeln) and the text display window (Twagdatei) in which the operator
// reads, corrects, saves and prints a file an output has just written.
#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "shell/contest_catalogue.h"

class QPlainTextEdit;
class QPushButton;

namespace korv {

// Shows the rules of `code`: its RTF file from the first of `directories`
// that has it (the data directory first, so that an organiser's file put
// there wins over the one shipped with the program) in the rules window, or
// its organiser's page through the shell. A rules file that cannot be read
// is reported as an error and no window opens.
void ShowRules(Platform& platform, ContestCode code, const std::vector<std::filesystem::path>& directories,
               QWidget* parent = nullptr);

// The rules window: read-only text, "Drucken", "Schließen"; Escape closes.
class Twagregeln : public QDialog {
  Q_OBJECT
 public:
  // `text` is the rules' readable text (Windows-1252).
  Twagregeln(Platform& platform, ContestCode code, const std::string& text, QWidget* parent = nullptr);
  ContestCode Code() const { return m_code; }

 private:
  Platform& m_platform;
  ContestCode m_code;
  QPlainTextEdit* m_redit = nullptr;
};

// Shows a file in the text display window; true when it was closed with
// "Speichern und Beenden" (the text is then saved back).
bool ShowTextFile(Platform& platform, const std::filesystem::path& file, QWidget* parent = nullptr);

class Twagdatei : public QDialog {
  Q_OBJECT
 public:
  Twagdatei(Platform& platform, std::filesystem::path file, QWidget* parent = nullptr);
  // False when the file could not be read (the window then stays empty).
  bool Loaded() const { return m_loaded; }

 private:
  bool Save();
  void Print();

  Platform& m_platform;
  std::filesystem::path m_file;
  bool m_loaded = false;
  QPlainTextEdit* m_redit = nullptr;
};

}  // namespace korv
