#include "shell/ui/programs_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/qt_text.h"

namespace korv {

void ShowFurtherPrograms(Platform& platform, QWidget* parent) {
  Twagprogramme window(platform, SuiteProgramsPage(), ContestModulesPage(), parent);
  window.exec();
}

Twagprogramme::Twagprogramme(Platform& platform, ProgramsPage page, std::optional<ProgramsPage> followUp,
                             QWidget* parent)
    : QDialog(parent), m_platform(platform), m_followUp(std::move(followUp)) {
  setObjectName(QStringLiteral("Twagprogramme"));
  setWindowTitle(ToQString(page.caption));
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(ToQString(page.heading), this);
  heading->setObjectName(QStringLiteral("lUeberschrift"));
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 3);
  heading->setFont(bold);
  layout->addWidget(heading);
  QString text;
  for (const std::string& line : page.lines) text += ToQString(line) + QLatin1Char('\n');
  auto* body = new QLabel(text.trimmed(), this);
  body->setObjectName(QStringLiteral("lText"));
  body->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(body, 1);

  auto* bar = new QHBoxLayout;
  int n = 0;
  for (const ProgramsLink& link : page.links) {
    auto* b = new QPushButton(ToQString(link.caption), this);
    b->setObjectName(QStringLiteral("btnLink%1").arg(++n));
    b->setAutoDefault(false);
    const std::string address = link.address;
    connect(b, &QPushButton::clicked, this, [this, address] { OpenWebAddress(m_platform, address); });
    bar->addWidget(b);
  }
  bar->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("Schlie\u00DFen"), this);
  close->setObjectName(QStringLiteral("btnSchliessen"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  bar->addWidget(close);
  layout->addLayout(bar);

  m_followUpTimer.setSingleShot(true);
  m_followUpTimer.setInterval(0);
  connect(&m_followUpTimer, &QTimer::timeout, this, [this] {
    if (!m_followUp || !isVisible()) return;
    Twagprogramme second(m_platform, *std::move(m_followUp), std::nullopt, this);
    m_followUp.reset();
    second.exec();
  });
}

bool Twagprogramme::event(QEvent* e) {
  // The first activation opens the follow-up page once.
  if (e->type() == QEvent::WindowActivate && m_followUp && !m_followUpTimer.isActive()) m_followUpTimer.start();
  return QDialog::event(e);
}

}  // namespace korv
