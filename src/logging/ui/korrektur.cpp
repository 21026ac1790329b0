#include "logging/ui/korrektur.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "logging/ui/log_widgets.h"
#include "logging/ui/qso_edit_dialog.h"
#include "logging/ui/qso_list_panel.h"
#include "platform/ui/qt_text.h"
#include "refdata/bands.h"
#include "shell/help.h"

namespace korv {

// --- search dialog ---------------------------------------------------------------

TSucheQE::TSucheQE(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TSucheQE"));
  setWindowTitle(QStringLiteral("Suche"));
  auto* outer = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  outer->addLayout(row);
  auto* caption = new QLabel(QStringLiteral("Rufzeichen:"), this);
  row->addWidget(caption);
  m_call = new TkxEdit(this);
  m_call->setObjectName(QStringLiteral("eCall"));
  m_call->SetCharCase(ecUpperCase);
  m_call->setMaxLength(14);
  row->addWidget(m_call);
  auto* buttons = new QHBoxLayout;
  outer->addLayout(buttons);
  auto* start = new QPushButton(QStringLiteral("Suche starten"), this);
  start->setObjectName(QStringLiteral("btnSuche"));
  start->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Abbruch"), this);
  cancel->setObjectName(QStringLiteral("btnAbbruch"));
  cancel->setAutoDefault(false);
  buttons->addWidget(start);
  buttons->addWidget(cancel);
  connect(start, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  m_call->setFocus();
}

std::optional<std::string> TSucheQE::Ask(QWidget* parent) {
  TSucheQE dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.CallField()->Text();
}

// --- band dialog -----------------------------------------------------------------

Tstdband::Tstdband(const std::vector<BandIndex>& bands, BandIndex selected, QWidget* parent)
    : QDialog(parent), m_bands(bands) {
  setObjectName(QStringLiteral("Tstdband"));
  setWindowTitle(QStringLiteral("Band"));
  auto* outer = new QVBoxLayout(this);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("listband"));
  outer->addWidget(m_list);
  for (BandIndex b : bands) m_list->addItem(ToQString(BandName(b)));
  const auto it = std::find(bands.begin(), bands.end(), selected);
  m_list->setCurrentRow(it == bands.end() ? 0 : static_cast<int>(it - bands.begin()));
  connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
  m_list->setFocus();
}

BandIndex Tstdband::SelectedBand() const {
  const int row = m_list->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= m_bands.size()) return m_bands.empty() ? 0 : m_bands.front();
  return m_bands[static_cast<std::size_t>(row)];
}

BandIndex Tstdband::Ask(const std::vector<BandIndex>& bands, BandIndex selected, QWidget* parent) {
  Tstdband dialog(bands, selected, parent);
  dialog.exec();
  return dialog.SelectedBand();
}

// --- list window -------------------------------------------------------------------

TKorrekturstd::TKorrekturstd(EntrySession& session, KorrekturKind kind, BandIndex band, QWidget* owner)
    : QDialog(owner), m_session(session), m_kind(kind), m_band(band) {
  setObjectName(QStringLiteral("TKorrekturstd"));
  AddHelpKey(this, session, kQsoListHelpContext);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(2, 2, 2, 2);
  m_brow = new TkxBrow(session.platform(), this);
  m_brow->Grid()->setFont(QFont(QStringLiteral("Arial"), 10));
  outer->addWidget(m_brow);
  m_binding = std::make_unique<QsoListBinding>(*m_brow, session,
                                               QsoListFormat{"dd.mm.yy", "hh:mm", session.uiGerman()}, false);
  m_binding->onEdit = [this](std::uint32_t recordNo) { Edit(recordNo); };
}

TKorrekturstd::~TKorrekturstd() { m_binding->Release(); }

void TKorrekturstd::Run(std::optional<QRect>& place) {
  if (m_kind == KorrekturKind::kBandLog) {
    m_band = Tstdband::Ask(m_session.Bands(), m_band, parentWidget());
    setWindowTitle(QStringLiteral("Band - Log (\u00C4ndern mit Eingabetaste oder Doppelklick)"));
  } else {
    setWindowTitle(QStringLiteral("QSO - Liste (\u00C4ndern mit Eingabetaste oder Doppelklick)"));
  }
  if (place) {
    setGeometry(*place);
  } else {
    resize(900, 500);
  }
  const BrowseResult r = m_binding->Browse(KorrekturOrder(m_kind, m_band));
  if (!r.ok) m_session.platform().ShowError(r.message);
  m_binding->LastRow();
  m_brow->Grid()->setFocus();
  if (m_kind == KorrekturKind::kCallSearch) QTimer::singleShot(0, this, [this] { Search(); });
  exec();
  place = geometry();
}

void TKorrekturstd::Search() {
  const auto typed = TSucheQE::Ask(this);
  if (!typed) return;
  const auto order = CallSearchOrder(*typed, m_session.settings().suffixes);
  if (!order) return;
  const BrowseResult r = m_binding->Browse(*order);
  if (!r.ok) m_session.platform().ShowError(r.message);
  m_brow->Browser().FirstRow();
  m_brow->Grid()->setFocus();
}

void TKorrekturstd::Edit(std::uint32_t recordNo) {
  const auto changed = Teingabecontstd2::Edit(m_session, recordNo, this);
  if (changed) m_binding->LocateRecord(*changed);
}

}  // namespace korv
