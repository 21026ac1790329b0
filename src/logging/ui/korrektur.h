// The list window TKorrekturstd in its three modes (corrections by running
// number, call search, band log) and its two small dialogs: the search
// dialog TSucheQE and the band dialog Tstdband. All are modal and made for
// one use.
#pragma once

#include <QDialog>
#include <QRect>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logging/entry_session.h"
#include "logging/qso_list.h"

class QListWidget;
class QPushButton;

namespace korv {

class QsoListBinding;
class TkxBrow;
class TkxEdit;

// "Suche starten" (Enter) or "Abbruch" (Esc).
class TSucheQE : public QDialog {
  Q_OBJECT
 public:
  explicit TSucheQE(QWidget* parent = nullptr);
  TkxEdit* CallField() const { return m_call; }
  // The typed call when the search was started, nullopt when cancelled.
  static std::optional<std::string> Ask(QWidget* parent);

 private:
  TkxEdit* m_call = nullptr;
};

// The printed names of the contest's bands; Enter or a double click take
// the selected one, Esc leaves (the band selected then is still used).
class Tstdband : public QDialog {
  Q_OBJECT
 public:
  Tstdband(const std::vector<BandIndex>& bands, BandIndex selected, QWidget* parent = nullptr);
  QListWidget* BandList() const { return m_list; }
  BandIndex SelectedBand() const;
  static BandIndex Ask(const std::vector<BandIndex>& bands, BandIndex selected, QWidget* parent);

 private:
  std::vector<BandIndex> m_bands;
  QListWidget* m_list = nullptr;
};

class TKorrekturstd : public QDialog {
  Q_OBJECT
 public:
  // REQUIRES: the session is open and outlives the window.
  TKorrekturstd(EntrySession& session, KorrekturKind kind, BandIndex band, QWidget* owner = nullptr);
  ~TKorrekturstd() override;

  // The band dialog first (band log), the list, the search dialog at once
  // (call search). place: where the window was last time; updated.
  void Run(std::optional<QRect>& place);

  TkxBrow* List() const { return m_brow; }
  QsoListBinding& Binding() { return *m_binding; }

 private:
  void Search();
  void Edit(std::uint32_t recordNo);

  EntrySession& m_session;
  KorrekturKind m_kind;
  BandIndex m_band;
  TkxBrow* m_brow = nullptr;
  std::unique_ptr<QsoListBinding> m_binding;
};

}  // namespace korv
