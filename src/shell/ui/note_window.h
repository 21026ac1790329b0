// TContestNotiz: the contest note window. The logging window opens it (F6,
// btnNotiz) for the note file of the contest name; a new first line with
// date, time and the call being logged is put into the file first, and the
// cursor stands after its "> ".
#pragma once

#include <QDialog>
#include <filesystem>
#include <string>

#include "files/contest_header.h"
#include "platform/platform.h"

class QPlainTextEdit;

namespace korv {

struct ContestNoteRequest {
  std::filesystem::path file;  // ContestNoteFileName in the data directory
  std::string call;            // the call of the entry being logged
  DayNumber date = kNoDate;    // now, as the header line shows it
  TimeOfDay time = kNoTime;
  std::string datePicture = "dd.mm.yyyy";
  std::string timePicture = "hh:mm:ss";
};

// Puts the header line into the note file, shows the note window modally at
// the place the header remembers (noteWidth > 0) and afterwards stores the
// window's place and size in the header, however it was closed. True when
// it was closed with "ESC: Speichern und Beenden" or Escape (the text is
// then saved). A note file that cannot be written is reported and no window
// opens; the header stays as it was.
bool EditContestNote(Platform& platform, const ContestNoteRequest& request, ContestHeader header,
                     QWidget* parent = nullptr);

class TContestNotiz : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kFormWidth = 377;
  static constexpr int kFormHeight = 270;

  TContestNotiz(Platform& platform, std::filesystem::path file, int cursorPosition, QWidget* parent = nullptr);

  QPlainTextEdit* Editor() const { return m_redit; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool Save();
  void SaveAndClose();
  void Print();

  Platform& m_platform;
  std::filesystem::path m_file;
  int m_cursorPosition = 0;
  QPlainTextEdit* m_redit = nullptr;
};

}  // namespace korv
