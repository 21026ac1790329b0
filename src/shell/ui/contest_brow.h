// The main window: title and logo of the contest, the list of contest logs
// with its button bar, the exit label and the hints. It owns the program's
// lifetime; closing it ends the program.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "shell/program_state.h"

class QFrame;

namespace korv {

class TkxBrow;

// A label that reports clicks and the mouse entering it (menu-style labels).
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
  int tag = 0;
 signals:
  void clicked();
  void hovered();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
};

struct MainWindowSetup {
  // Where the help file is looked for, in order.
  std::vector<std::filesystem::path> helpSearchDirs;
  // Pictures are looked up here (the data directory); empty: current directory.
  std::filesystem::path pictureDir;
  // Layout decisions depend on the screen width; tests fix it.
  std::optional<int> screenWidth;
};

class TContestBrow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kStripWidth = 170;

  TContestBrow(Platform& platform, ProgramState& state, MainWindowSetup setup,
               QWidget* parent = nullptr);
  ~TContestBrow() override;

  // Lays the window out by its fixed rules (also on every resize).
  void FormResize();
  // The application's help hook; false when the request is not handled here.
  bool HelpHandler(int command, int contextNumber);

  QPushButton* btnNeu() const { return m_btnNeu; }
  QPushButton* btnStarten() const { return m_btnStarten; }
  QPushButton* btnLoeschen() const { return m_btnLoeschen; }
  QPushButton* btnSchliessen() const { return m_btnSchliessen; }
  QPushButton* btnHilfe() const { return m_btnHilfe; }
  // The hidden button that opens the logging window; the program clicks it.
  QPushButton* btnStartF10() const { return m_btnStartF10; }
  // The list of contest logs (contest_list.h fills it).
  TkxBrow* Brow() const { return m_brow; }
  // lCall := the own call, else the SWL number; the layout follows.
  void RefreshOwnCall();

 signals:
  // The actions of the list's buttons; their handlers are wired by the owner.
  void newRequested();
  void startRequested();
  void deleteRequested();
  void startLoggingRequested();
  void furtherProgramsRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWidgets();
  void LoadPictures();
  void ApplyColours();
  void PaintStrip();
  bool FormKeyDown(int key);
  void MenueBeendenMouseMove();
  void PanelUntenResize();
  int ScreenWidth() const;
  std::filesystem::path PicturePath(const std::string& name) const;

  Platform& m_platform;
  ProgramState& m_state;
  MainWindowSetup m_setup;

  QLabel* m_image2 = nullptr;
  QLabel* m_imgtitel = nullptr;
  QLabel* m_imglinks = nullptr;
  QLabel* m_lworked = nullptr;
  QLabel* m_lUtils = nullptr;
  QLabel* m_lCall = nullptr;
  ClickLabel* m_menueBeenden = nullptr;
  QFrame* m_panelContest = nullptr;
  QLabel* m_listTitle = nullptr;
  TkxBrow* m_brow = nullptr;
  QFrame* m_panelUnten = nullptr;
  QPushButton* m_btnNeu = nullptr;
  QPushButton* m_btnStarten = nullptr;
  QPushButton* m_btnLoeschen = nullptr;
  QPushButton* m_btnSchliessen = nullptr;
  QPushButton* m_btnHilfe = nullptr;
  QPushButton* m_btnStartF10 = nullptr;
  QLabel* m_lhinweisupdate = nullptr;
  QLabel* m_lhinweisupdate2 = nullptr;
  ClickLabel* m_makerLabel = nullptr;
  QPushButton* m_btnweitere = nullptr;
  QFrame* m_panelabgleich = nullptr;
};

}  // namespace korv
