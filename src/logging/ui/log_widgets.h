// Small pieces the logging windows share: a label that reports clicks and
// the helpers that write a text or a colour only when it changed (the
// windows redraw after every keystroke).
#pragma once

#include <QColor>
#include <QLabel>
#include <string_view>

class QLineEdit;
class QWidget;

namespace korv {

class LogClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LogClickLabel(QWidget* parent = nullptr) : QLabel(parent) {}
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

inline const QColor kCaptionTeal{0, 128, 128};
inline const QColor kCaptionRed{255, 0, 0};

void SetLabelText(QLabel* label, std::string_view cp1252);
void SetEditText(QLineEdit* edit, std::string_view cp1252);
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBackground(QWidget* widget, const QColor& colour);
void SetVisibleIfChanged(QWidget* widget, bool visible);

class EntrySession;
// F1 anywhere in `window` opens the help page at the window's section.
void AddHelpKey(QWidget* window, EntrySession& session, int helpContext);

}  // namespace korv
