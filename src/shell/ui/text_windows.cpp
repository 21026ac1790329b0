#include "shell/ui/text_windows.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/cp1252.h"
#include "platform/ui/qt_text.h"
#include "shell/text_documents.h"

namespace korv {
namespace {

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

QFont FixedFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::Monospace);
  return font;
}

QPushButton* AddButton(QDialog* dialog, QHBoxLayout* bar, const char* name, const char* caption) {
  auto* b = new QPushButton(ToQString(caption), dialog);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  bar->addWidget(b);
  return b;
}

// The file's text as the output wrote it: Windows-1252 with CR LF.
std::string FileText(const QString& text) {
  std::string bytes;
  for (const std::string& line : TextLines(FromQString(text))) bytes += line + "\r\n";
  return bytes;
}

}  // namespace

void ShowRules(Platform& platform, ContestCode code, const std::vector<std::filesystem::path>& directories,
               QWidget* parent) {
  const RulesSource source = RulesSourceFor(code);
  if (source.kind == RulesSourceKind::kWebPage) {
    if (!source.webPage.empty()) (void)platform.ShellOpen(source.webPage);
    return;
  }
  if (source.kind == RulesSourceKind::kWebPageByLanguage) {
    const std::string_view page =
        platform.AskYesNo(kRulesLanguageQuestion) ? source.englishWebPage : source.germanWebPage;
    if (!page.empty()) (void)platform.ShellOpen(page);
    return;
  }
  std::string rtf;
  const auto readable = [&](const std::filesystem::path& dir) {
    return ReadFileBytes(dir / std::string(source.rtfFile), rtf);
  };
  if (std::none_of(directories.begin(), directories.end(), readable)) {
    platform.ShowError("Die Datei " + std::string(source.rtfFile) + " konnte nicht gelesen werden.");
    return;
  }
  Twagregeln window(platform, code, RtfToText(rtf), parent);
  window.exec();
}

Twagregeln::Twagregeln(Platform& platform, ContestCode code, const std::string& text, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_code(code) {
  setObjectName(QStringLiteral("Twagregeln"));
  setWindowTitle(QStringLiteral("Regeln"));
  m_redit = new QPlainTextEdit(this);
  m_redit->setObjectName(QStringLiteral("redit"));
  m_redit->setReadOnly(true);
  // The rules are laid out in columns, as they are printed.
  m_redit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_redit->setPlainText(ToQString(text));
  auto* bar = new QHBoxLayout;
  QPushButton* print = AddButton(this, bar, "btnDrucken", "Drucken");
  QPushButton* close = AddButton(this, bar, "btnSchliessen", "Schlie\xDF" "en");
  bar->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_redit, 1);
  layout->addLayout(bar);
  connect(print, &QPushButton::clicked, this, [this] {
    (void)PrintTextLines(m_platform, "Contest-Regeln", TextLines(FromQString(m_redit->toPlainText())));
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  resize(700, 600);
}

bool ShowTextFile(Platform& platform, const std::filesystem::path& file, QWidget* parent) {
  Twagdatei window(platform, file, parent);
  return window.exec() == QDialog::Accepted;
}

Twagdatei::Twagdatei(Platform& platform, std::filesystem::path file, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_file(std::move(file)) {
  setObjectName(QStringLiteral("Twagdatei"));
  setWindowTitle(QString::fromStdString(m_file.string()));
  m_redit = new QPlainTextEdit(this);
  m_redit->setObjectName(QStringLiteral("redit"));
  m_redit->setFont(FixedFont());
  m_redit->setLineWrapMode(QPlainTextEdit::NoWrap);
  std::string bytes;
  m_loaded = ReadFileBytes(m_file, bytes);
  m_redit->setPlainText(ToQString(bytes));
  auto* bar = new QHBoxLayout;
  QPushButton* save = AddButton(this, bar, "btnSpeichern", "Speichern und Beenden");
  QPushButton* print = AddButton(this, bar, "btnDrucken", "Drucken");
  bar->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_redit, 1);
  layout->addLayout(bar);
  connect(save, &QPushButton::clicked, this, [this] {
    if (Save()) accept();
  });
  connect(print, &QPushButton::clicked, this, [this] { Print(); });
  resize(800, 600);
}

bool Twagdatei::Save() {
  std::ofstream out(m_file, std::ios::binary | std::ios::trunc);
  const std::string bytes = FileText(m_redit->toPlainText());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    m_platform.Inform("Die Datei " + Utf8ToCp1252(m_file.string()) + " konnte nicht gespeichert werden.");
    return false;
  }
  return true;
}

void Twagdatei::Print() {
  if (!Save()) return;
  (void)PrintTextLines(m_platform, Utf8ToCp1252(m_file.filename().string()),
                       TextLines(FromQString(m_redit->toPlainText())));
}

}  // namespace korv
