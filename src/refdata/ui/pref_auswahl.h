// TPrefAuswahl, "Auswahl DXCC": lets the user pick one of several countries
// that share a prefix. A click selects a row, the arrow keys move the
// selection, a double click, Enter or "Übernehmen" takes it, Escape or
// "Abbrechen" cancels.
#pragma once

#include <QDialog>
#include <optional>

#include "refdata/dxcc_resolver.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace korv {

class TPrefAuswahl : public QDialog, public PrefixChooser {
  Q_OBJECT
 public:
  explicit TPrefAuswahl(QWidget* parent = nullptr);

  // Fills header and list for the request and selects the first row.
  void Load(const PrefixChoiceRequest& request);
  // Load, then runs modally: the row taken, or nullopt when cancelled.
  std::optional<std::size_t> ChoosePrefix(const PrefixChoiceRequest& request) override;
  // The row taken by the last run (valid after Accepted).
  std::optional<std::size_t> Taken() const { return m_taken; }

  QTableWidget* grid() const { return m_grid; }
  QPushButton* btnUebernehmen() const { return m_btnUebernehmen; }
  QPushButton* btnAbbrechen() const { return m_btnAbbrechen; }

 private:
  void TakeRow(int row);

  QLabel* m_lQso = nullptr;
  QLabel* m_lText1 = nullptr;
  QLabel* m_lText2 = nullptr;
  QLabel* m_lHint = nullptr;
  QTableWidget* m_grid = nullptr;
  QPushButton* m_btnUebernehmen = nullptr;
  QPushButton* m_btnAbbrechen = nullptr;
  std::optional<std::size_t> m_taken;
};

}  // namespace korv
