#include "shell/ui/contest_brow.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QTableWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "common/text.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "platform/ui/qt_text.h"
#include "shell/contest_catalogue.h"
#include "shell/help.h"

namespace korv {
namespace {

constexpr int kTagMenu = 800;
const char* const kCaption = "Belvent Korv DEZ Version 2006-1.0";
const char* const kTitleBitmap = "titel_korvwnc.bmp";
const char* const kMakerLine = "Korv DEZ f\xFCr Linux";
const char* const kUpdateHint2 =
    "Installieren Sie bitte neue Versionen immer in ein neues leeres Verzeichnis oder tauschen "
    "Sie nur die EXE-Dateien aus.";
const char* const kUpdateHint =
    "Bitte pr\xFC" "fen Sie vor jedem Contest, ob eine neuere Version von Korv DEZ vorliegt, "
    "und lesen Sie die Hinweise in der Hilfe (F1).";

QColor Rgb(std::uint32_t rgb) { return QColor::fromRgb(rgb); }

void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  emit clicked();
}

void ClickLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  emit hovered();
}

TContestBrow::TContestBrow(Platform& platform, ProgramState& state, MainWindowSetup setup,
                           QWidget* parent)
    : QWidget(parent), m_platform(platform), m_state(state), m_setup(std::move(setup)) {
  setObjectName(QStringLiteral("TContestBrow"));
  BuildWidgets();

  // Window start: title, pictures, own call, colours.
  m_state.activeContestCode = kActiveContestCode;
  setWindowTitle(ToQString(kCaption));
  LoadPictures();
  RefreshOwnCall();
  m_lUtils->setText(ToQString(PickText(m_state.uiGerman, "f\xFCr", "FOR")));
  m_menueBeenden->setText(ToQString(PickText(m_state.uiGerman, "    Beenden", "    Finish")));
  ApplyColours();
  m_makerLabel->setText(ToQString(kMakerLine));
  m_btnweitere->show();
  m_lhinweisupdate->show();
  m_lhinweisupdate2->show();
  // The list's quick-search field receives the keyboard.
  m_brow->QuickSearchField()->setFocus();

  // The window sees keys before its controls.
  qApp->installEventFilter(this);
}

TContestBrow::~TContestBrow() { qApp->removeEventFilter(this); }

void TContestBrow::BuildWidgets() {
  m_image2 = new QLabel(this);
  m_image2->setObjectName(QStringLiteral("Image2"));
  m_image2->setScaledContents(true);
  m_image2->setMouseTracking(true);
  m_image2->installEventFilter(this);

  m_imgtitel = new QLabel(this);
  m_imgtitel->setObjectName(QStringLiteral("imgtitel"));
  m_imgtitel->hide();
  m_imglinks = new QLabel(this);
  m_imglinks->setObjectName(QStringLiteral("imglinks"));
  m_imglinks->resize(120, 120);
  m_imglinks->hide();

  m_lworked = new QLabel(this);
  m_lworked->setObjectName(QStringLiteral("lworked"));
  m_lworked->hide();
  m_lUtils = new QLabel(this);
  m_lUtils->setObjectName(QStringLiteral("lUtils"));
  m_lCall = new QLabel(this);
  m_lCall->setObjectName(QStringLiteral("lCall"));
  QFont big = m_lCall->font();
  big.setPointSize(14);
  big.setBold(true);
  m_lCall->setFont(big);
  m_lUtils->setFont(big);

  m_menueBeenden = new ClickLabel(QString(), this);
  m_menueBeenden->setObjectName(QStringLiteral("MenueBeenden"));
  m_menueBeenden->tag = kTagMenu;
  m_menueBeenden->setGeometry(0, 0, 120, 22);
  connect(m_menueBeenden, &ClickLabel::clicked, this, &QWidget::close);
  connect(m_menueBeenden, &ClickLabel::hovered, this, [this] { MenueBeendenMouseMove(); });

  m_panelContest = new QFrame(this);
  m_panelContest->setObjectName(QStringLiteral("panelContest"));
  m_panelContest->setFrameShape(QFrame::Panel);
  auto* panelLayout = new QVBoxLayout(m_panelContest);
  panelLayout->setContentsMargins(2, 2, 2, 2);
  panelLayout->setSpacing(0);
  m_listTitle = new QLabel(QStringLiteral("Liste der Conteste"), m_panelContest);
  m_listTitle->setObjectName(QStringLiteral("lListTitle"));
  m_listTitle->setAlignment(Qt::AlignCenter);
  m_listTitle->setMinimumHeight(24);
  SetBackground(m_listTitle, QColor(0, 0, 128));  // navy title bar
  SetTextColour(m_listTitle, Qt::white);
  panelLayout->addWidget(m_listTitle);
  m_brow = new TkxBrow(m_platform, m_panelContest);
  m_brow->setObjectName(QStringLiteral("Brow"));
  panelLayout->addWidget(m_brow, 1);

  m_panelUnten = new QFrame(m_panelContest);
  m_panelUnten->setObjectName(QStringLiteral("PanelUnten"));
  m_panelUnten->setMinimumHeight(44);
  panelLayout->addWidget(m_panelUnten);
  auto makeButton = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(ToQString(caption), m_panelUnten);
    b->setObjectName(QString::fromLatin1(name));
    b->setFocusPolicy(Qt::NoFocus);  // the list keeps the keyboard
    b->resize(96, 32);
    return b;
  };
  m_btnNeu = makeButton("btnNeu", "Neu");
  m_btnStarten = makeButton("btnStarten", "Starten");
  m_btnLoeschen = makeButton("btnLoeschen", "L\xF6schen");
  m_btnSchliessen = makeButton("btnSchliessen", "Schlie\xDF" "en");
  m_btnHilfe = makeButton("btnHilfe", "Hilfe");
  m_btnStartF10 = makeButton("btnStartF10", "Start [F10]");
  m_btnStartF10->hide();  // the program clicks it itself
  connect(m_btnNeu, &QPushButton::clicked, this, &TContestBrow::newRequested);
  connect(m_btnStarten, &QPushButton::clicked, this, &TContestBrow::startRequested);
  connect(m_btnLoeschen, &QPushButton::clicked, this, &TContestBrow::deleteRequested);
  connect(m_btnStartF10, &QPushButton::clicked, this, &TContestBrow::startLoggingRequested);
  connect(m_btnSchliessen, &QPushButton::clicked, this, &QWidget::close);
  connect(m_btnHilfe, &QPushButton::clicked, this,
          [this] { HelpHandler(kHelpCommandContext, kHelpButtonContext); });

  m_lhinweisupdate2 = new QLabel(ToQString(kUpdateHint2), this);
  m_lhinweisupdate2->setObjectName(QStringLiteral("lhinweisupdate2"));
  m_lhinweisupdate = new QLabel(ToQString(kUpdateHint), this);
  m_lhinweisupdate->setObjectName(QStringLiteral("lhinweisupdate"));
  m_makerLabel = new ClickLabel(QString(), this);
  m_makerLabel->setObjectName(QStringLiteral("lMaker"));
  m_makerLabel->setCursor(Qt::PointingHandCursor);
  connect(m_makerLabel, &ClickLabel::hovered, this, [this] {
    QFont f = m_makerLabel->font();
    f.setUnderline(true);
    m_makerLabel->setFont(f);
  });
  // No web site of ours exists: the maker line leads to the help's about topic.
  connect(m_makerLabel, &ClickLabel::clicked, this,
          [this] { HelpHandler(kHelpCommandContext, kMainWindowHelpContext); });
  m_btnweitere = new QPushButton(QStringLiteral("weitere AFU-Pogramme"), this);
  m_btnweitere->setObjectName(QStringLiteral("btnweitere"));
  m_btnweitere->setFocusPolicy(Qt::NoFocus);
  m_btnweitere->resize(170, 26);
  connect(m_btnweitere, &QPushButton::clicked, this, &TContestBrow::furtherProgramsRequested);

  m_panelabgleich = new QFrame(this);
  m_panelabgleich->setObjectName(QStringLiteral("panelabgleich"));
  m_panelabgleich->hide();

  for (QLabel* l : {m_lworked, m_lUtils, m_lCall, m_lhinweisupdate, m_lhinweisupdate2,
                    static_cast<QLabel*>(m_makerLabel)}) {
    l->adjustSize();
  }
  resize(1024, 700);
}

std::filesystem::path TContestBrow::PicturePath(const std::string& name) const {
  return m_setup.pictureDir.empty() ? std::filesystem::path(name) : m_setup.pictureDir / name;
}

void TContestBrow::LoadPictures() {
  QPixmap title;
  if (title.load(QString::fromStdString(PicturePath(kTitleBitmap).string()))) {
    m_imgtitel->setPixmap(title);
    m_imgtitel->setScaledContents(false);
    m_imgtitel->resize(title.size());
    m_imgtitel->show();
  }
  const ContestCatalogueEntry entry = LookupContest(m_state.activeContestCode);
  if (!entry.title.empty()) {
    m_lworked->setText(ToQString(TitleLabelText(entry)));
    QFont f = m_lworked->font();
    f.setPointSize(12);
    f.setBold(true);
    m_lworked->setFont(f);
    m_lworked->adjustSize();
    m_lworked->show();
  }
  QPixmap logo;
  if (!entry.logoFile.empty() &&
      logo.load(QString::fromStdString(PicturePath(std::string(entry.logoFile)).string()))) {
    m_imglinks->setPixmap(logo);
    m_imglinks->resize(logo.size());
    m_imglinks->show();
  }
  m_imglinks->setScaledContents(true);
}

void TContestBrow::PaintStrip() {
  // A 170 x 14 picture in the window colour with a band in the strip colour,
  // stretched over the window's height.
  QPixmap strip(kStripWidth, 14);
  strip.fill(Rgb(m_state.colours.window));
  QPainter painter(&strip);
  painter.fillRect(16, 0, 156 - 16, 14, Rgb(m_state.colours.strip));
  painter.end();
  m_image2->setPixmap(strip);
}

void TContestBrow::ApplyColours() {
  const ColourScheme& c = m_state.colours;
  SetBackground(this, Rgb(c.window));
  for (QFrame* panel : {m_panelContest, m_panelUnten, static_cast<QFrame*>(m_brow)}) {
    SetBackground(panel, Rgb(c.panel));
  }
  m_brow->Grid()->horizontalHeader()->setStyleSheet(
      QStringLiteral("QHeaderView::section { background-color: %1; color: %2; }")
          .arg(Rgb(c.header).name(), Rgb(c.headerFont).name()));
  SetTextColour(m_lworked, Qt::yellow);
  SetTextColour(m_lhinweisupdate2, Qt::yellow);
  SetTextColour(m_lhinweisupdate, Qt::white);
  SetTextColour(m_lUtils, Qt::white);
  SetTextColour(m_lCall, Qt::white);
  SetTextColour(m_menueBeenden, Rgb(c.labelFont));
  SetTextColour(m_makerLabel, QColor(192, 192, 192));  // silver
  PaintStrip();
}

void TContestBrow::RefreshOwnCall() {
  m_lCall->setText(ToQString(m_state.ownCall.empty() ? m_state.swlNumber : m_state.ownCall));
  if (isVisible()) FormResize();
}

void TContestBrow::MenueBeendenMouseMove() {
  // Opaque red while the mouse is over it; every other menu label turns transparent.
  SetBackground(m_menueBeenden, QColor(200, 0, 0));
  for (ClickLabel* label : findChildren<ClickLabel*>()) {
    if (label == m_menueBeenden) continue;
    if (label->tag % 100 == 0 && label->tag != 0) label->setAutoFillBackground(false);
  }
}

int TContestBrow::ScreenWidth() const {
  if (m_setup.screenWidth) return *m_setup.screenWidth;
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : width();
}

void TContestBrow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TContestBrow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormResize();
}

void TContestBrow::FormResize() {
  const int w = width();
  const int h = height();
  const int screenWidth = ScreenWidth();
  m_image2->setGeometry(0, 0, kStripWidth, h);

  // Own call at the right edge, "für" left of it.
  m_lCall->adjustSize();
  m_lUtils->adjustSize();
  m_lCall->move(w - 30 - m_lCall->width(), m_lCall->y());
  m_lUtils->move(m_lCall->x() - 20 - m_lUtils->width(), m_lUtils->y());

  // The list panel fills the window right of the strip.
  const int left = m_image2->width();
  m_panelContest->setGeometry(left, 40, std::max(0, w - left - 30), std::max(0, h - 40 - 30));

  QRect panel;
  if (screenWidth <= 900) {
    m_imglinks->move(m_imglinks->x(), 52);
    panel.setLeft(m_imglinks->x() + m_imglinks->width() + 10);
    panel.setRight(w - 30 - 1);
    m_imgtitel->move(panel.left(), 0);
    m_lworked->move(panel.left(), m_imgtitel->y() + m_imgtitel->height());
    panel.setTop(m_lworked->y() + m_lworked->height() + 30);
    panel.setBottom(h - 40 - 1);
  } else {
    m_imglinks->move(100, 135);
    m_lworked->move(m_lworked->x(), m_imglinks->y() - m_lworked->height());
    panel.setLeft(m_imglinks->x() + m_imglinks->width() + 50);
    panel.setRight(w - 90 - 1);
    m_lworked->move(panel.left(), m_lworked->y());
    m_imgtitel->move(panel.left(), m_imgtitel->y());
    panel.setTop(m_lworked->y() + m_lworked->height() + 20);
    panel.setBottom(h - 40 - 1);
  }
  if (panel.width() < 0) panel.setWidth(0);

  // Bottom line: the button, the hints and the maker line above it.
  m_btnweitere->move(5, h - 5 - m_btnweitere->height());
  const int hintLeft = m_btnweitere->x() + m_btnweitere->width() + 10;
  m_lhinweisupdate->setGeometry(hintLeft, m_btnweitere->y() + 4, std::max(0, w - 30 - hintLeft),
                                m_lhinweisupdate->sizeHint().height());
  m_lhinweisupdate2->adjustSize();
  m_lhinweisupdate2->move(hintLeft, m_lhinweisupdate->y() - 10 - m_lhinweisupdate2->height());
  m_makerLabel->adjustSize();
  m_makerLabel->move(m_btnweitere->x(), m_btnweitere->y() - 10 - m_makerLabel->height());
  // The list ends above the hints, so that no hint is drawn over it.
  const int hintsTop = std::min(m_lhinweisupdate2->y(), m_makerLabel->y());
  if (panel.bottom() >= hintsTop - 10) panel.setBottom(hintsTop - 10 - 1);
  if (panel.height() < 0) panel.setHeight(0);
  m_panelContest->setGeometry(panel);
  if (m_lhinweisupdate2->geometry().intersects(m_panelContest->geometry())) {
    m_lhinweisupdate2->move(130, m_lhinweisupdate2->y());
  }

  // Own call beside the title picture; an empty call is measured as six characters.
  const int callWidth = m_lCall->text().isEmpty()
                            ? m_lCall->fontMetrics().horizontalAdvance(QStringLiteral("DL0ABC"))
                            : m_lCall->width();
  const int top = m_imgtitel->y();
  const int titleRight = m_imgtitel->x() + m_imgtitel->width();
  int callX = titleRight + (w - titleRight - callWidth) / 2;
  int utilsX = callX - 20 - m_lUtils->width();
  if (titleRight + m_lUtils->width() + callWidth + 50 > screenWidth) {
    const int titleX = std::max(0, screenWidth - 50 - callWidth - 10 - m_lUtils->width() - 10 -
                                       m_imgtitel->width());
    m_imgtitel->move(titleX, top);
    utilsX = titleX + m_imgtitel->width() + 10;
    callX = utilsX + m_lUtils->width() + 10;
    if (screenWidth > 900) {
      utilsX = titleX + m_imgtitel->width() + 30;
      callX = utilsX + m_lUtils->width() + 20;
    }
  }
  m_lCall->move(callX, top);
  m_lUtils->move(utilsX, top);

  SetTextColour(m_lCall, Qt::white);
  m_lUtils->setVisible(!m_lCall->text().isEmpty());
  m_lCall->setVisible(!m_lCall->text().isEmpty());
  m_makerLabel->show();
  PanelUntenResize();
}

void TContestBrow::PanelUntenResize() {
  // Neu, Starten, Löschen from the left; Hilfe at the right, Schließen left of it.
  const int y = (m_panelUnten->height() - m_btnNeu->height()) / 2;
  int x = 8;
  for (QPushButton* b : {m_btnNeu, m_btnStarten, m_btnLoeschen}) {
    b->move(x, y);
    x += b->width() + 6;
  }
  m_btnHilfe->move(m_panelUnten->width() - 8 - m_btnHilfe->width(), y);
  m_btnSchliessen->move(m_btnHilfe->x() - 6 - m_btnSchliessen->width(), y);
}

bool TContestBrow::HelpHandler(int command, int contextNumber) {
  return HandleHelpRequest(m_platform, command, contextNumber, m_setup.helpSearchDirs);
}

bool TContestBrow::FormKeyDown(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F10:
      m_btnStarten->click();
      return true;
    case Qt::Key_Escape:
      if (m_platform.AskYesNo("Programm beenden?")) close();
      return true;
    case Qt::Key_F1:
      HelpHandler(kHelpCommandContext, kMainWindowHelpContext);
      return true;
    default:
      return false;
  }
}

bool TContestBrow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_image2 && event->type() == QEvent::Enter) {
    QFont f = m_makerLabel->font();
    f.setUnderline(false);
    m_makerLabel->setFont(f);
  }
  // Keys typed anywhere in this window reach FormKeyDown first. Other windows
  // (dialogs opened from here) are not descendants and keep their keys.
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && (widget == this || isAncestorOf(widget)) && isVisible()) {
      auto* keyEvent = static_cast<QKeyEvent*>(event);
      if (FormKeyDown(keyEvent->key())) return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace korv
