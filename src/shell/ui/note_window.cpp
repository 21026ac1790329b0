#include "shell/ui/note_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/cp1252.h"
#include "platform/ui/qt_text.h"
#include "shell/contest_note.h"
#include "shell/text_documents.h"

namespace korv {
namespace {

std::string FileNameText(const std::filesystem::path& file) { return Utf8ToCp1252(file.filename().string()); }

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

}  // namespace

bool EditContestNote(Platform& platform, const ContestNoteRequest& request, ContestHeader header,
                     QWidget* parent) {
  const std::string line = ContestNoteHeaderLine(request.date, request.time, request.datePicture,
                                                 request.timePicture, request.call);
  if (!PrependNoteLine(request.file, line)) {
    platform.Inform("Die Datei " + FileNameText(request.file) + " konnte nicht gespeichert werden.");
    return false;
  }
  TContestNotiz window(platform, request.file,
                       ContestNoteCursorPosition(request.datePicture, request.timePicture), parent);
  if (header.noteWidth() > 0) {
    window.move(header.noteLeft(), header.noteTop());
    window.resize(header.noteWidth(), std::max<int>(header.noteHeight(), 1));
  }
  const bool saved = window.exec() == QDialog::Accepted;
  const QPoint at = window.pos();
  header.SetNoteLeft(static_cast<std::int16_t>(at.x()));
  header.SetNoteTop(static_cast<std::int16_t>(at.y()));
  header.SetNoteWidth(static_cast<std::int16_t>(window.width()));
  header.SetNoteHeight(static_cast<std::int16_t>(window.height()));
  return saved;
}

TContestNotiz::TContestNotiz(Platform& platform, std::filesystem::path file, int cursorPosition, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_file(std::move(file)), m_cursorPosition(cursorPosition) {
  setObjectName(QStringLiteral("TContestNotiz"));
  setWindowTitle(ToQString(FileNameText(m_file)));
  m_redit = new QPlainTextEdit(this);
  m_redit->setObjectName(QStringLiteral("redit"));
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::Monospace);
  m_redit->setFont(font);
  m_redit->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_redit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_redit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  std::vector<std::string> lines;
  if (ReadNoteLines(m_file, lines)) m_redit->setPlainText(ToQString(JoinLines(lines)));

  auto* save = new QPushButton(QStringLiteral("ESC: Speichern und Beenden"), this);
  save->setObjectName(QStringLiteral("btnSpeichern"));
  auto* print = new QPushButton(QStringLiteral("Drucken"), this);
  print->setObjectName(QStringLiteral("btnDrucken"));
  auto* bar = new QHBoxLayout;
  for (QPushButton* b : {save, print}) {
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);  // the text keeps the keyboard
    bar->addWidget(b);
  }
  bar->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_redit, 1);
  layout->addLayout(bar);
  connect(save, &QPushButton::clicked, this, [this] { SaveAndClose(); });
  connect(print, &QPushButton::clicked, this, [this] { Print(); });
  resize(kFormWidth, kFormHeight);
}

void TContestNotiz::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTextCursor cursor = m_redit->textCursor();
  const int end = m_redit->document()->characterCount() - 1;
  cursor.setPosition(std::min(m_cursorPosition, std::max(end, 0)));
  m_redit->setTextCursor(cursor);
  m_redit->setFocus();
}

void TContestNotiz::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    SaveAndClose();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TContestNotiz::Save() {
  if (WriteNoteLines(m_file, TextLines(FromQString(m_redit->toPlainText())))) return true;
  m_platform.Inform("Die Datei " + FileNameText(m_file) + " konnte nicht gespeichert werden.");
  return false;
}

void TContestNotiz::SaveAndClose() {
  if (!Save()) return;
  m_redit->clear();
  accept();
}

void TContestNotiz::Print() {
  if (!Save()) return;
  (void)PrintTextLines(m_platform, FileNameText(m_file), TextLines(FromQString(m_redit->toPlainText())));
}

}  // namespace korv
