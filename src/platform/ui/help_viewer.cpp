#include "platform/ui/help_viewer.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korv {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Hilfe"));
  setObjectName(QStringLiteral("HelpViewer"));
  m_browser->setObjectName(QStringLiteral("helpBrowser"));
  m_browser->setOpenExternalLinks(true);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("Schlie\u00DFen"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("btnSchliessen"));
  close->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 6);
  layout->addWidget(m_browser, 1);
  layout->addWidget(buttons);
  resize(720, 560);
}

bool HelpViewer::ShowTopic(const std::filesystem::path& helpFile, int contextNumber) {
  const QString fileName = QString::fromStdString(helpFile.string());
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  file.close();
  m_anchor = QStringLiteral("ctx%1").arg(contextNumber);
  m_browser->setSource(QUrl::fromLocalFile(fileName));
  m_browser->scrollToAnchor(m_anchor);
  show();
  raise();
  return true;
}

}  // namespace korv
