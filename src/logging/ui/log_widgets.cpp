#include "logging/ui/log_widgets.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>

#include "logging/entry_session.h"
#include "platform/ui/qt_text.h"
#include "shell/help.h"

namespace korv {

void LogClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit clicked();
}

void SetLabelText(QLabel* label, std::string_view cp1252) {
  const QString text = ToQString(cp1252);
  if (label->text() != text) label->setText(text);
}

void SetEditText(QLineEdit* edit, std::string_view cp1252) {
  const QString text = ToQString(cp1252);
  if (edit->text() != text) edit->setText(text);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette p = widget->palette();
  if (p.color(QPalette::WindowText) == colour) return;
  p.setColor(QPalette::WindowText, colour);
  widget->setPalette(p);
}

void SetBackground(QWidget* widget, const QColor& colour) {
  QPalette p = widget->palette();
  p.setColor(QPalette::Window, colour);
  widget->setPalette(p);
  widget->setAutoFillBackground(true);
}

void SetVisibleIfChanged(QWidget* widget, bool visible) {
  if (widget->isHidden() == visible) widget->setVisible(visible);
}

void AddHelpKey(QWidget* window, EntrySession& session, int helpContext) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
  QObject::connect(shortcut, &QShortcut::activated, window, [&session, helpContext] {
    (void)HandleHelpRequest(session.platform(), kHelpCommandContext, helpContext, session.helpSearchDirs());
  });
}

}  // namespace korv
