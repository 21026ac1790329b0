#include "controls/ui/kx_bit_btn.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>
#include <array>
#include <cctype>

#include "platform/ui/qt_text.h"

namespace korv {
namespace {

struct KindEntry {
  TkxKind kind;
  const char* name;     // without the "bk" prefix
  const char* caption;  // Windows-1252
  int result;
};

// clang-format off
constexpr std::array<KindEntry, 53> kKinds{{
    {bkCustom, "Custom", "", mrNone},
    {bkOK, "OK", "OK", mrOk},
    {bkCancel, "Cancel", "Abbrechen", mrCancel},
    {bkHelp, "Help", "&Hilfe", mrNone},
    {bkYes, "Yes", "&Ja", mrYes},
    {bkNo, "No", "&Nein", mrNo},
    {bkClose, "Close", "&Schlie\xDF" "en", mrNone},
    {bkAbort, "Abort", "Abbruch", mrAbort},
    {bkRetry, "Retry", "&Wiederholen", mrRetry},
    {bkIgnore, "Ignore", "&Ignorieren", mrIgnore},
    {bkAll, "All", "&Alles", mrAll},
    {bkWeiter, "Weiter", "&Weiter", 11},
    {bkZurueck, "Zurueck", "&Zur\xFC" "ck", 12},
    {bkEdit, "Edit", "&Eigenschaften", 13},
    {bkUebernahme, "Uebernahme", "&\xDC" "bernehmen", 14},
    {bkDruck, "Druck", "&Drucken", mrNone},
    {bkGDruck, "GDruck", "&Drucken", mrNone},
    {bkNeu, "Neu", "&Neu", mrNone},
    {bkGNeu, "GNeu", "&Neu", mrNone},
    {bkAendern, "Aendern", "&\xC4" "ndern", mrNone},
    {bkGAendern, "GAendern", "&\xC4" "ndern", mrNone},
    {bkLoeschen, "Loeschen", "&L\xF6" "schen", mrNone},
    {bkGLoeschen, "GLoeschen", "&L\xF6" "schen", mrNone},
    {bkZusatz, "Zusatz", "&Zusatz-|funktionen", mrNone},
    {bkSuche, "Suche", "&erweiterte|Suche", mrNone},
    {bkGSuche, "GSuche", "&erweiterte Suche", mrNone},
    {bkStat, "Stat", "&Statistik", mrNone},
    {bkGStatistik, "GStatistik", "&Statistik", mrNone},
    {bkGHelp, "GHelp", "&Hilfe", mrNone},
    {bkGClose, "GClose", "&Schlie\xDF" "en", mrNone},
    {bkGEinlesen, "GEinlesen", "&Einlesen", mrNone},
    {bkOption, "Option", "&Optionen", mrNone},
    {bkGOption, "GOption", "&Optionen", mrNone},
    {bkGHistory, "GHistory", "&History", mrNone},
    {bkGAuswahlblau, "GAuswahlblau", "&Auswahl", mrNone},
    {bkGZF, "GZF", "&ZF", mrNone},
    {bkGExport, "GExport", "&Export", mrNone},
    {bkExport, "Export", "&Export", mrNone},
    {bkGMoveLR, "GMoveLR", "&Verschieben", mrNone},
    {bkGCopyLR, "GCopyLR", "&Kopieren", mrNone},
    {bkGKopie, "GKopie", "&Kopie", mrNone},
    {bkGAmpelgelb, "GAmpelgelb", "Warte", mrNone},
    {bkGAmpelrot, "GAmpelrot", "Stop", mrNone},
    {bkGAmpelgruen, "GAmpelgruen", "&QSO auflisten", mrNone},
    {bkGListe, "GListe", "&Liste", mrNone},
    {bkGTabelle, "GTabelle", "&Tabelle", mrNone},
    {bkGMatrix, "GMatrix", "&Matrix", mrNone},
    {bkGStart, "GStart", "&Start", mrNone},
    {bkGDiagramm, "GDiagramm", "&Diagramm", mrNone},
    {bkGHTML, "GHTML", "&HTML", mrNone},
    {bkHTML, "HTML", "&HTML", mrNone},
    {bkGKarte, "GKarte", "&Karte", mrNone},
    {bkGLabel, "GLabel", "&QSL-Label", mrNone},
}};
// clang-format on
static_assert(kKinds.size() == bkGLabel + 1);

constexpr bool KindsInOrder() {
  for (std::size_t i = 0; i < kKinds.size(); ++i)
    if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
  return true;
}
static_assert(KindsInOrder(), "kKinds follows the order of TkxKind");

const KindEntry& Entry(TkxKind kind) {
  const auto i = static_cast<std::size_t>(kind);
  return i < kKinds.size() ? kKinds[i] : kKinds[0];
}

// The caption as drawn: "|" breaks the line.
QString DisplayText(const std::string& caption) {
  return ToQString(caption).replace(QLatin1Char('|'), QLatin1Char('\n'));
}

}  // namespace

TkxBitBtn::TkxBitBtn(QWidget* parent) : QPushButton(parent) {
  resize(width(), kDefaultHeight);
  // Runs before handlers connected later by the owner.
  connect(this, &QPushButton::clicked, this, &TkxBitBtn::OwnClick);
  UpdateColours();
}

std::string TkxBitBtn::GlyphResourceName(TkxKind kind) {
  if (kind == bkCustom) return {};
  std::string name = std::string("KXBB") + Entry(kind).name;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::string TkxBitBtn::KindCaption(TkxKind kind) { return Entry(kind).caption; }

int TkxBitBtn::KindModalResult(TkxKind kind) { return Entry(kind).result; }

void TkxBitBtn::SetkxKind(TkxKind kind) {
  if (kind != bkCustom) {
    if (!m_loading || m_caption.empty()) SetCaption(Entry(kind).caption);
    ApplyDefault(kind == bkOK || kind == bkYes);
    ApplyCancel(kind == bkCancel || kind == bkNo);
    m_modalResult = Entry(kind).result;
  }
  m_kind = kind;
}

void TkxBitBtn::SetCaption(std::string_view cp1252) {
  m_caption.assign(cp1252);
  setText(DisplayText(m_caption));
  UpdateAutoWidth();
}

void TkxBitBtn::SetDefault(bool on) {
  ApplyDefault(on);
  m_kind = bkCustom;
}

void TkxBitBtn::SetCancel(bool on) {
  ApplyCancel(on);
  m_kind = bkCustom;
}

void TkxBitBtn::SetModalResult(int result) {
  m_modalResult = result;
  m_kind = bkCustom;
}

void TkxBitBtn::SetGlyph(const QPixmap& glyph) {
  ApplyGlyph(glyph);
  m_kind = bkCustom;
}

void TkxBitBtn::SetSpacing(int spacing) {
  m_spacing = spacing;
  UpdateAutoWidth();
}

void TkxBitBtn::SetkxautoWidth(int n) {
  m_autoWidth = n;
  UpdateAutoWidth();
}

void TkxBitBtn::ApplyDefault(bool on) {
  m_default = on;
  setDefault(on);
}

void TkxBitBtn::ApplyCancel(bool on) {
  m_cancel = on;
  if (on && m_escape == nullptr) {
    // Escape anywhere in the window presses the cancel button.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QAbstractButton::click,
                             Qt::WindowShortcut);
  }
  if (m_escape != nullptr) m_escape->setEnabled(on);
}

void TkxBitBtn::ApplyGlyph(const QPixmap& glyph) {
  m_glyph = glyph;
  UpdateIcon();
}

void TkxBitBtn::SetNumGlyphs(int n) {
  m_numGlyphs = std::max(1, n);
  UpdateIcon();
}

void TkxBitBtn::SetkxDeaktiviert(bool on) {
  m_deaktiviert = on;
  UpdateIcon();
}

void TkxBitBtn::UpdateIcon() {
  if (m_glyph.isNull()) {
    setIcon(QIcon());
    UpdateAutoWidth();
    return;
  }
  const int w = m_glyph.width() / m_numGlyphs;
  const QPixmap normal = m_glyph.copy(0, 0, w, m_glyph.height());
  QIcon icon(normal);
  if (m_numGlyphs >= 2) icon.addPixmap(m_glyph.copy(w, 0, w, m_glyph.height()), QIcon::Disabled);
  if (m_deaktiviert) icon = QIcon(icon.pixmap(normal.size(), QIcon::Disabled));
  setIcon(icon);
  setIconSize(normal.size());
  UpdateAutoWidth();
}

void TkxBitBtn::SetkxnichtTransparent(bool on) {
  m_nichtTransparent = on;
  UpdateColours();
}

void TkxBitBtn::SetkxFlatround(bool on) {
  m_flatround = on;
  UpdateColours();
}

void TkxBitBtn::UpdateColours() {
  QPalette p = palette();
  if (m_flatround) {
    p.setColor(QPalette::Button, QColor::fromRgb(kFlatroundColour));
  } else if (m_nichtTransparent) {
    p.setColor(QPalette::Button, QApplication::palette().color(QPalette::Button));
  } else {
    p.setColor(QPalette::Button, parentWidget() != nullptr
                                     ? parentWidget()->palette().color(QPalette::Window)
                                     : QApplication::palette().color(QPalette::Button));
  }
  setPalette(p);
}

void TkxBitBtn::SetkxMenue(QMenu* menu) {
  m_menu = menu;
  update();
}

void TkxBitBtn::mousePressEvent(QMouseEvent* event) {
  // Our own connection to clicked() does not count as a handler.
  const bool hasHandler = receivers(SIGNAL(clicked(bool))) > 1;
  if (m_menu != nullptr && event->button() == Qt::LeftButton &&
      (event->position().x() >= width() - kMenuZone || !hasHandler)) {
    m_menu->popup(mapToGlobal(QPoint(0, height())));
    event->accept();
    return;
  }
  QPushButton::mousePressEvent(event);
}

void TkxBitBtn::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  if (m_menu == nullptr) return;
  // A small downward arrow centred in the menu zone.
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(palette().color(QPalette::ButtonText));
  const qreal cx = width() - kMenuZone / 2.0;
  const qreal cy = height() / 2.0;
  const QPointF arrow[3] = {{cx - 3.5, cy - 2}, {cx + 3.5, cy - 2}, {cx, cy + 2}};
  painter.drawPolygon(arrow, 3);
}

void TkxBitBtn::OwnClick() {
  if (m_kind == bkHelp) {
    for (QWidget* w = this; w != nullptr; w = w->parentWidget()) {
      const int context = w->property(kHelpContextProperty).toInt();
      if (context > 0) {
        emit helpRequested(context);
        break;
      }
    }
  } else if (m_kind == bkClose) {
    window()->close();
  } else if (m_modalResult != mrNone) {
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(m_modalResult);
  }
}

void TkxBitBtn::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateAutoWidth();
  if (event->type() == QEvent::ParentChange) UpdateColours();
}

void TkxBitBtn::UpdateAutoWidth() {
  if (m_autoWidth <= 0) return;
  const QFontMetrics metrics(font());
  int textWidth = 0;
  for (QString line : DisplayText(m_caption).split(QLatin1Char('\n'))) {
    // A single "&" marks the mnemonic and is not drawn; "&&" draws one "&".
    line.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    line.remove(QLatin1Char('&'));
    line.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
  }
  int block = textWidth;
  if (!m_glyph.isNull()) block += iconSize().width() + (textWidth > 0 ? m_spacing : 0);
  resize(m_autoWidth + block, height());
}

}  // namespace korv
