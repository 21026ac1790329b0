#include "platform/ui/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QUrl>

#include "platform/ui/qt_text.h"

namespace korv {
namespace {

QWidget* DialogParent() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  return QApplication::activeWindow();
}

QString FilterText(const FileDialogRequest& request) {
  const QString all = QStringLiteral("Alle Dateien (*)");
  if (request.filterPattern.empty()) return all;
  // Several patterns come as "*.ADI;*.ADIF"; Qt separates them by blanks.
  QString patterns = ToQString(request.filterPattern);
  patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
  return ToQString(request.filterCaption) + QStringLiteral(" (") + patterns + QStringLiteral(");;") + all;
}

QString StartPath(const FileDialogRequest& request) {
  const QString name = ToQString(request.proposedName);
  if (request.directory.empty()) return name;
  return QString::fromStdString((request.directory / request.proposedName).string());
}

std::optional<std::filesystem::path> ToPath(const QString& chosen) {
  if (chosen.isEmpty()) return std::nullopt;
  return std::filesystem::path(chosen.toStdString());
}

class QtPrintDocument : public PrintDocument {
 public:
  explicit QtPrintDocument(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {
    m_painter.begin(m_printer.get());
  }
  bool Started() const { return m_painter.isActive(); }
  int Resolution() const override { return m_printer->resolution(); }
  int PageWidth() const override {
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).width();
  }
  int PageHeight() const override {
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).height();
  }
  void SetFont(const PrintFont& font) override {
    QFont f(ToQString(font.family), font.pointSize);
    f.setBold(font.bold);
    f.setStyleHint(QFont::TypeWriter);
    m_painter.setFont(f);
  }
  int TextWidth(std::string_view text) override {
    return m_painter.fontMetrics().horizontalAdvance(ToQString(text));
  }
  int TextHeight(std::string_view) override { return m_painter.fontMetrics().height(); }
  void TextOut(int x, int y, std::string_view text) override {
    // (x, y) is the top left of the text, as on the printer canvas.
    m_painter.drawText(x, y + m_painter.fontMetrics().ascent(), ToQString(text));
  }
  void NewPage() override { m_printer->newPage(); }
  bool End() override { return m_painter.end(); }

 private:
  std::unique_ptr<QPrinter> m_printer;
  QPainter m_painter;
};

class QtProgressWindow : public ProgressWindow {
 public:
  explicit QtProgressWindow(const QString& caption)
      : m_dialog(caption, QString(), 0, 100, DialogParent()) {
    m_dialog.setWindowTitle(QStringLiteral("Korv DEZ"));
    m_dialog.setCancelButton(nullptr);
    m_dialog.setMinimumDuration(0);
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.show();
    QCoreApplication::processEvents();
  }
  void SetRange(int maximum) override {
    m_dialog.setRange(0, maximum);
    QCoreApplication::processEvents();
  }
  void SetPosition(int position) override {
    m_dialog.setValue(position);
    QCoreApplication::processEvents();
  }
  void SetText(std::string_view text) override {
    m_dialog.setLabelText(ToQString(text));
    QCoreApplication::processEvents();
  }

 private:
  QProgressDialog m_dialog;
};

}  // namespace

QtPlatform::~QtPlatform() { delete m_helpViewer.data(); }

namespace {

bool Ask(QWidget* parent, std::string_view text, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigen"), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(defaultButton);
  box.setEscapeButton(QMessageBox::No);  // the close box answers No
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

bool QtPlatform::AskYesNo(std::string_view text) { return Ask(DialogParent(), text, QMessageBox::Yes); }

bool QtPlatform::AskBeforeDestroying(std::string_view text) {
  return Ask(DialogParent(), text, QMessageBox::No);
}

void QtPlatform::Inform(std::string_view text) {
  QMessageBox::information(DialogParent(), QStringLiteral("Information"), ToQString(text));
}

void QtPlatform::Warn(std::string_view text) {
  QMessageBox::warning(DialogParent(), QStringLiteral("Warnung"), ToQString(text));
}

void QtPlatform::ShowError(std::string_view text) {
  QMessageBox::critical(DialogParent(), QStringLiteral("Fehler"), ToQString(text));
}

void QtPlatform::Beep() { QApplication::beep(); }

bool QtPlatform::ShellOpen(std::string_view target) {
  const QString text = ToQString(target).trimmed();
  if (text.isEmpty()) return false;
  // Addresses go to the opener as URLs; anything without a scheme is a document.
  QUrl url(text, QUrl::StrictMode);
  const bool isAddress = url.isValid() && url.scheme().size() > 1;
  if (!isAddress) url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
  return QDesktopServices::openUrl(url);
}

bool QtPlatform::ShowHelp(const std::filesystem::path& helpFile, int contextNumber) {
  // A modal window blocks every window that is not its child: the viewer
  // belongs to the modal window that asks, so it can be read and closed
  // while that window stays modal, and it goes with that window.
  QWidget* owner = QApplication::activeModalWidget();
  if (m_helpViewer && m_helpViewer->parentWidget() != owner) delete m_helpViewer.data();
  if (!m_helpViewer) m_helpViewer = new HelpViewer(owner);
  return m_helpViewer->ShowTopic(helpFile, contextNumber);
}

std::optional<std::filesystem::path> QtPlatform::AskSaveFileName(const FileDialogRequest& request) {
  return ToPath(QFileDialog::getSaveFileName(DialogParent(), ToQString(request.caption),
                                             StartPath(request), FilterText(request)));
}

std::optional<std::filesystem::path> QtPlatform::AskOpenFileName(const FileDialogRequest& request) {
  return ToPath(QFileDialog::getOpenFileName(DialogParent(), ToQString(request.caption),
                                             StartPath(request), FilterText(request)));
}

std::unique_ptr<PrintDocument> QtPlatform::BeginPrint(const PrintRequest& request) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setDocName(ToQString(request.documentTitle));
  if (!request.pdfFile.empty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(request.pdfFile.string()));
  } else {
    if (!request.pdfProposal.empty() && QPrinterInfo::availablePrinterNames().isEmpty()) {
      // Without a printer the dialog can only write a PDF: propose one in
      // the data folder instead of the home directory.
      printer->setOutputFileName(QDir::current().absoluteFilePath(QString::fromStdString(request.pdfProposal.string())));
    }
    QPrintDialog dialog(printer.get(), DialogParent());
    if (dialog.exec() != QDialog::Accepted) return nullptr;
  }
  auto document = std::make_unique<QtPrintDocument>(std::move(printer));
  if (!document->Started()) return nullptr;
  return document;
}

std::unique_ptr<ProgressWindow> QtPlatform::OpenProgress(std::string_view caption) {
  return std::make_unique<QtProgressWindow>(ToQString(caption));
}

void QtPlatform::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace korv
