// The QSO list over a record browser panel (TkxBrow): rows and header of
// every QSO, the stored column widths, the orders of the logging window,
// positioning on a QSO or on the last QSO of the current band, and the list's
// delete command routed to the entry session. The logging window and the
// list window TKorrekturstd each bind their own panel.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "controls/ui/kx_brow.h"
#include "logging/entry_session.h"
#include "logging/qso_list.h"

namespace korv {

class QsoListBinding {
 public:
  // REQUIRES: brow and session outlive the binding; the session is open.
  // withOrders: the logging window's orders 0-6 (OnSortList2Key).
  QsoListBinding(TkxBrow& brow, EntrySession& session, QsoListFormat format, bool withOrders);

  // Binds the list to an order of the QSO file.
  BrowseResult Browse(const QsoListOrder& order);
  // The list on its last QSO of the current band; a band order follows
  // the band first.
  void ShowCurrentBand();
  void LocateRecord(std::uint32_t recordNo);
  void LastRow() { m_brow.Browser().LastRow(); }
  void RefreshRows() { m_brow.RefreshRows(); }
  // The record number of the selected row's QSO (read into the buffer);
  // nullopt when there is none or it is a QSY line.
  std::optional<std::uint32_t> SelectedQso();
  // The widths of the grid's columns, 1-based order.
  std::vector<std::int16_t> Widths() const;
  // Before the QSO file goes: widths into the header, binding dropped.
  void Release();

  // Enter or double click on a QSO; after a delete through the list.
  std::function<void(std::uint32_t recordNo)> onEdit;
  std::function<void()> onDeleted;

 private:
  QsoRecord Buffer() const;

  TkxBrow& m_brow;
  EntrySession& m_session;
  QsoListFormat m_format;
  bool m_laidOut = false;  // the grid shows our columns (their widths may be stored)
};

}  // namespace korv
