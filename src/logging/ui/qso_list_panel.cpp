#include "logging/ui/qso_list_panel.h"

#include <QHeaderView>
#include <QTableWidget>

namespace korv {

QsoListBinding::QsoListBinding(TkxBrow& brow, EntrySession& session, QsoListFormat format, bool withOrders)
    : m_brow(brow), m_session(session), m_format(std::move(format)) {
  // The list shows only its grid: no quick search, sort list or tool bar.
  if (QWidget* bottom = brow.findChild<QWidget*>(QStringLiteral("BottomStrip"))) bottom->hide();
  TKBrowserEvents& e = brow.Events();
  e.OnBuildRow = [this](TKBrowser&, std::string& row) {
    row = QsoRowText(Buffer(), m_session.rules(), m_format);
  };
  e.OnSetHeaderFooter = [this](TKBrowser& b) {
    if (m_laidOut) m_session.SetListColumnWidths(Widths());
    b.SetHeader(QsoHeaderText(m_session.rules(), m_format), "", ColumnIndexTable{}, ColumnIndexTable{});
    m_laidOut = true;
  };
  e.OnBrowColWidths = [this](TKBrowser&, int column) -> int {
    return column >= 1 && column <= header_layout::kListColumns ? m_session.ListColumnWidth(column) : 0;
  };
  e.OnInitSortList = [](TKBrowser&) {};  // no selector: the orders come from the header
  if (withOrders) {
    e.OnSortList2Key = [this](TKBrowser&, int position, KeyString& lower, KeyString& upper) -> int {
      const auto order = LogListOrder(position, m_session.band());
      if (!order) return 0;
      lower = order->lower;
      upper = order->upper;
      return order->index;
    };
  }
  auto edit = [this](TKBrowser&) {
    const QsoRecord r = Buffer();
    if (!r.IsQsyMarker() && onEdit) onEdit(r.recordNo());
  };
  e.OnBrowDoppelKlick = edit;
  e.OnBrowEnter = edit;
  e.OnBefore_Loesch = [this](TKBrowser&) { return !Buffer().IsQsyMarker(); };
  e.OnDatensatz_Loeschen = [this](TKBrowser&) {
    const bool deleted = m_session.DeleteQso(Buffer().recordNo());
    if (deleted && onDeleted) onDeleted();
    return deleted;
  };
}

QsoRecord QsoListBinding::Buffer() const {
  return QsoRecord(QsoRecord::Record(m_session.qsoFile()->Record().data(), kQsoRecordSize));
}

BrowseResult QsoListBinding::Browse(const QsoListOrder& order) {
  if (m_laidOut) m_session.SetListColumnWidths(Widths());
  m_laidOut = false;
  return m_brow.Browse(m_session.qsoFile(), order.index, order.lower, order.upper);
}

void QsoListBinding::ShowCurrentBand() {
  FileBlock* file = m_session.qsoFile();
  if (file == nullptr || !m_brow.Browser().Bound()) return;
  const int index = m_brow.CurrentIndexNumber();
  for (int position = 0; position < 3; ++position) {
    const auto order = LogListOrder(position, m_session.band());
    if (order && order->index == index && !(order->lower.view() == m_brow.Browser().LowerKey().view())) {
      (void)Browse(*order);
      break;
    }
  }
  if (!FindLastQsoOfBand(*file, m_session.band())) {
    m_brow.Browser().LastRow();
    return;
  }
  LocateRecord(Buffer().recordNo());
}

void QsoListBinding::LocateRecord(std::uint32_t recordNo) {
  FileBlock* file = m_session.qsoFile();
  if (file == nullptr || !m_brow.Browser().Bound()) return;
  if (!FindQsoByRecordNo(*file, recordNo)) {
    m_brow.RefreshRows();
    return;
  }
  m_brow.LocateKey(file->BuildKey(m_brow.CurrentIndexNumber()), file->CurrentRef());
}

std::optional<std::uint32_t> QsoListBinding::SelectedQso() {
  if (m_brow.Browser().Rows().empty() || !m_brow.ReadSelectedRecord()) return std::nullopt;
  const QsoRecord r = Buffer();
  if (r.IsQsyMarker()) return std::nullopt;
  return r.recordNo();
}

std::vector<std::int16_t> QsoListBinding::Widths() const {
  std::vector<std::int16_t> widths;
  const QHeaderView* header = m_brow.Grid()->horizontalHeader();
  const int columns = std::min(m_brow.Grid()->columnCount(), header_layout::kListColumns);
  for (int c = 0; c < columns; ++c) widths.push_back(static_cast<std::int16_t>(header->sectionSize(c)));
  return widths;
}

void QsoListBinding::Release() {
  if (m_laidOut) m_session.SetListColumnWidths(Widths());
  m_laidOut = false;
  m_brow.Unbind();
}

}  // namespace korv
