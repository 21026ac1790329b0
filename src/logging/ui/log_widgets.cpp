#include "logging/ui/log_widgets.h"

#include <QLineEdit>
#include <QMouseEvent>

#include "platform/ui/qt_text.h"

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

}  // namespace korv
