// The entry panel of the logging window: the row of entry fields with their
// captions (and the labels that stand in for locked fields), the row of
// mode, band, QSL flag and Enter hint, and the totals line with the big QSO
// number. The panel only draws an EntryView; the window forwards what the
// operator does to the entry session.
#pragma once

#include <QFrame>
#include <array>
#include <optional>

#include "logging/entry_session.h"
#include "logging/ui/log_widgets.h"

class QLabel;
class QWidget;

namespace korv {

class TkxEdit;




class EntryPanel : public QFrame {
  Q_OBJECT
 public:
  explicit EntryPanel(QWidget* parent = nullptr);

  TkxEdit* Field(EntryField field) const { return m_fields[FieldSlot(field)]; }
  // The entry field a widget is, if any.
  std::optional<EntryField> FieldOf(const QObject* widget) const;

  // Texts, visibility and captions of the view. Only what changed is
  // written, so drawing after every keystroke stays cheap.
  void Draw(const EntryView& view);
  // The caption of the focused field red, the others teal.
  void MarkFocused(std::optional<EntryField> field);

  QLabel* QslLabel() const;
  QLabel* ModeLabel() const { return m_lmode; }
  QLabel* BandLabel() const { return m_lband; }
  QLabel* NumberLabel() const { return m_lNummer; }

 signals:
  void qslClicked();

 protected:
  // The mouse over a field or its caption colours the caption dark red.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Column {
    QWidget* box = nullptr;
    QLabel* caption = nullptr;
    QLabel* standIn = nullptr;  // shown instead of the field when it is locked
  };
  void AddColumn(EntryField field, const char* name, const char* caption, const char* standIn);

  std::array<TkxEdit*, kEntryFieldCount> m_fields{};
  std::array<Column, kEntryFieldCount> m_columns{};
  std::optional<EntryField> m_marked;
  QWidget* m_fieldRow = nullptr;
  QLabel* m_lmode = nullptr;
  QLabel* m_lband = nullptr;
  LogClickLabel* m_lQSLs = nullptr;
  QLabel* m_lenter = nullptr;
  QLabel* m_lDokHint = nullptr;  // "DOK unbekannt?"
  QLabel* m_lPunkteCaption = nullptr;
  QLabel* m_lPunkte = nullptr;
  QLabel* m_lMultiCaption = nullptr;
  QLabel* m_lMulti = nullptr;
  QLabel* m_lQsoCaption = nullptr;
  QLabel* m_lQso = nullptr;
  QLabel* m_lNummer = nullptr;
};

}  // namespace korv
