// Tpartyauswertungform: the party evaluation window "Übersicht", a bar chart
// of the QSOs per age of the worked operator (output/party_chart.h) with the
// step width chosen by three radio buttons. It only reads the QSO file, once
// when it opens; a change of the step width draws the same counts again.
#pragma once

#include <QDialog>
#include <QRect>
#include <QWidget>
#include <optional>

#include "output/party_chart.h"

class QPushButton;
class QRadioButton;

namespace korv {

class ContestHeader;
class FileBlock;
class Platform;

// Paints a PartyChart on its background colour; nothing else.
class PartyChartPanel : public QWidget {
  Q_OBJECT
 public:
  explicit PartyChartPanel(QWidget* parent = nullptr);
  void SetChart(PartyChart chart);
  const PartyChart& Chart() const { return m_chart; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PartyChart m_chart;
};

class Tpartyauswertungform : public QDialog {
  Q_OBJECT
 public:
  // ages: the log's counts per year (TallyAges). Starts with step width 1.
  explicit Tpartyauswertungform(const AgeCounts& ages, QWidget* parent = nullptr);

  // The whole opening: without a start date in the header only the notice
  // "Der Beginn des Contestes wurde nicht angegeben." through the platform;
  // otherwise the ages are read from the open QSO file and the window runs
  // modally at `place` (where it was last time, when known), which is
  // updated when it closes. False when the window was not shown: no start
  // date, or the file could not be read (a failing storage step has been
  // reported by the storage layer).
  static bool Run(Platform& platform, const ContestHeader& header, FileBlock& qsoFile,
                  std::optional<QRect>& place, QWidget* parent = nullptr);

  AgeStep Step() const;
  PartyChartPanel* Panel() const { return m_panel; }

 private:
  void Redraw();

  AgeCounts m_ages;
  PartyChartPanel* m_panel = nullptr;
  QRadioButton* m_rEinJahr = nullptr;
  QRadioButton* m_rFuenfJahre = nullptr;
  QRadioButton* m_rZehnJahre = nullptr;
  QPushButton* m_btnOK = nullptr;
};

}  // namespace korv
