// The totals panel right of the entry panel (QSOs, multipliers and points
// of the first seven band slots and the four summary lines) and the grid of
// worked multipliers (8 rows of 14 labels). Both draw parts of an EntryView
// and write only what changed.
#pragma once

#include <QFrame>
#include <array>
#include <vector>

#include "logging/entry_session.h"

class QLabel;

namespace korv {

class LogTotalsPanel : public QFrame {
  Q_OBJECT
 public:
  explicit LogTotalsPanel(QWidget* parent = nullptr);
  void Draw(const EntryView& view);
  QLabel* SummaryLine(int i) const { return m_lines[static_cast<std::size_t>(i)]; }

 private:
  struct Column {
    QLabel* band = nullptr;
    QLabel* qsos = nullptr;
    QLabel* multipliers = nullptr;
    QLabel* points = nullptr;
  };
  std::array<Column, 7> m_columns{};
  std::array<QLabel*, 4> m_lines{};
  QLabel* m_rate10 = nullptr;
  QLabel* m_rate60 = nullptr;
  QLabel* m_multiHeading = nullptr;
};

class MultiplierGrid : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kRows = 8;
  static constexpr int kColumns = 14;
  explicit MultiplierGrid(QWidget* parent = nullptr);
  void Draw(const std::vector<WorkedValue>& values);
  QLabel* Cell(int i) const { return m_cells[static_cast<std::size_t>(i)]; }

 private:
  // -1: the grey "." of an empty cell.
  std::array<int, kRows * kColumns> m_state{};
  std::array<QLabel*, kRows * kColumns> m_cells{};
};

}  // namespace korv
