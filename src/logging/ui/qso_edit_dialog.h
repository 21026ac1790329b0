// Teingabecontstd2, the edit dialog "QSO ändern" for one stored QSO (not
// for QSY lines). There is no cancel: closing it in any way (Esc,
// "Beenden [ESC]", the close box) stores the changes through the entry
// session, which also renumbers and recounts when the change matters.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "logging/entry_session.h"

class QComboBox;
class QLabel;

namespace korv {

class TkxEdit;

class Teingabecontstd2 : public QDialog {
  Q_OBJECT
 public:
  Teingabecontstd2(EntrySession& session, std::uint32_t recordNo, QsoEditForm form, QWidget* parent = nullptr);

  // Shows the dialog for the QSO; the QSO's record number afterwards when
  // it was stored (renumbering gives new numbers). nullopt without a dialog
  // for a QSY line or a record that is gone.
  static std::optional<std::uint32_t> Edit(EntrySession& session, std::uint32_t recordNo, QWidget* parent);

  const std::optional<std::uint32_t>& Stored() const { return m_stored; }
  TkxEdit* CallField() const { return m_call; }
  TkxEdit* UpperField(int i) const { return m_upper[static_cast<std::size_t>(i)]; }
  TkxEdit* LowerField(int i) const { return m_lower[static_cast<std::size_t>(i)]; }
  QComboBox* ModeList() const { return m_mode; }
  QComboBox* BandList() const { return m_band; }
  TkxEdit* FrequencyField() const { return m_freq; }

 public slots:
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TkxEdit* AddField(const char* name, const char* caption, int maxLength, int row, int column,
                    bool upper = true);
  void ModeChosen();
  void BandChosen();
  void FrequencyLeft();
  BandIndex ChosenBand() const;
  QsoEditFields Collect() const;

  EntrySession& m_session;
  std::uint32_t m_recordNo;
  QsoEditForm m_form;
  std::optional<std::uint32_t> m_stored;
  bool m_closing = false;
  std::vector<BandIndex> m_bands;
  std::vector<std::string> m_modes;

  TkxEdit* m_call = nullptr;
  TkxEdit* m_call2 = nullptr;
  std::array<TkxEdit*, 4> m_upper{};
  std::array<TkxEdit*, 4> m_lower{};
  QComboBox* m_mode = nullptr;
  TkxEdit* m_freeMode = nullptr;
  QComboBox* m_band = nullptr;
  TkxEdit* m_date = nullptr;
  TkxEdit* m_time = nullptr;
  TkxEdit* m_qslSend = nullptr;
  TkxEdit* m_qslRcvd = nullptr;
  TkxEdit* m_prefix = nullptr;
  TkxEdit* m_name = nullptr;
  TkxEdit* m_qth = nullptr;
  TkxEdit* m_freq = nullptr;
};

}  // namespace korv
