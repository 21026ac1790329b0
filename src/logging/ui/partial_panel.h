// The super check partial panel beside the entry: the calls containing the
// typed call (the log's first, a duplicate on the current band in red) and
// the "N+1" calls one typing error away. It never takes the focus: the
// operator keeps typing; F2 or a click takes a call into the call field.
#pragma once

#include <QFrame>
#include <vector>

#include "logging/entry_session.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace korv {

class PartialCallsPanel : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kPartialRows = 10;
  static constexpr int kOneOffRows = 5;
  explicit PartialCallsPanel(QWidget* parent = nullptr);
  void Draw(const EntryView& view);
  QListWidget* PartialList() const { return m_partial; }
  QListWidget* OneOffList() const { return m_oneOff; }

 signals:
  // A call clicked in either list.
  void callChosen(const QString& call);

 private:
  void Fill(QListWidget* list, const std::vector<PartialCall>& calls, std::vector<PartialCall>& shown);
  QListWidget* m_partial = nullptr;
  QListWidget* m_oneOff = nullptr;
  std::vector<PartialCall> m_shownPartial;
  std::vector<PartialCall> m_shownOneOff;
};

}  // namespace korv
