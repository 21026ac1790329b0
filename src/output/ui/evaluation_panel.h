// The configuration window's panel "Auswertung": QSOs, multipliers and
// points per band slot in three blocks, and the total line with the claimed
// score in bold. It shows an EvaluationView (output/evaluation_view.h).
#pragma once

#include <QGroupBox>
#include <array>

class QLabel;

namespace korv {

struct EvaluationView;

class EvaluationPanel : public QGroupBox {
  Q_OBJECT
 public:
  static constexpr int kRows = 7;  // band slots 1..7

  explicit EvaluationPanel(QWidget* parent = nullptr);
  void Show(const EvaluationView& view);

 private:
  struct Block {
    QLabel* title = nullptr;
    std::array<QLabel*, kRows> bands{};
    std::array<QLabel*, kRows> values{};
  };
  Block MakeBlock(const char* name, const char* title, int column);

  Block m_qso;
  Block m_multi;
  Block m_points;
  QLabel* m_lTotal = nullptr;
  QLabel* m_totalQso = nullptr;
  QLabel* m_totalMulti = nullptr;
  QLabel* m_totalPoints = nullptr;
  QLabel* m_score = nullptr;
};

}  // namespace korv
