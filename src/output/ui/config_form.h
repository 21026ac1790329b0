// The controls of the contest configuration window: contest, station,
// address, participation type, start mode, logging options and the
// computer's clock. The form converts between its controls and a
// LogConfiguration; the window (eing_contest_std.h) owns the flows.
#pragma once

#include <QWidget>
#include <vector>

#include "logging/log_configuration.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace korv {

class TkxEdit;

class ConfigurationForm : public QWidget {
  Q_OBJECT
 public:
  explicit ConfigurationForm(QWidget* parent = nullptr);

  // One radio button per described participation type (empty ones skipped;
  // more than seven in two columns); the ids are the 1-based positions.
  void SetParticipationTypes(const ContestRules& rules);
  void SetStartModes(const StartModeChoice& choice);
  // "DOK", "Area" or "LDK" before the DOK field.
  void SetDokCaption(const QString& caption);

  // Writes every control; Read() returns `base` with the controls' values.
  void Load(const LogConfiguration& config);
  LogConfiguration Read(const LogConfiguration& base) const;

  // Only the four date and time fields.
  void LoadDates(const LogConfiguration& config);

  // The control a failed check points at (to be coloured and focused).
  QWidget* FieldWidget(ConfigurationField field) const;
  // Light red until the operator types into it (or clicks one of its buttons).
  void MarkInvalid(QWidget* control);

  // The date/time fields, for the manual-date tracking of the window.
  std::vector<TkxEdit*> DateTimeFields() const;

 Q_SIGNALS:
  // The operator clicked a participation type (1-based).
  void participationClicked(int type);

 private:
  void Build();
  void RestoreColour(QWidget* control);

  TkxEdit* m_eName = nullptr;
  TkxEdit* m_eDatumvon = nullptr;
  TkxEdit* m_eDatumbis = nullptr;
  TkxEdit* m_eZeitvon = nullptr;
  TkxEdit* m_eZeitbis = nullptr;
  TkxEdit* m_eCall = nullptr;
  TkxEdit* m_eSwl = nullptr;
  QLabel* m_lDok = nullptr;
  TkxEdit* m_eDok = nullptr;
  TkxEdit* m_eLoc = nullptr;
  TkxEdit* m_ecname = nullptr;
  TkxEdit* m_eStrasse = nullptr;
  TkxEdit* m_ePlz = nullptr;
  TkxEdit* m_eOrt = nullptr;
  TkxEdit* m_eLand = nullptr;
  TkxEdit* m_eQslS = nullptr;
  TkxEdit* m_eQslR = nullptr;
  QCheckBox* m_eDatumAuto = nullptr;
  QCheckBox* m_eZeitAuto = nullptr;
  QCheckBox* m_eRstSent = nullptr;
  QCheckBox* m_eRstRcvd = nullptr;
  QCheckBox* m_eBandAuto = nullptr;
  QCheckBox* m_eRstFrei = nullptr;
  QCheckBox* m_eDoppel = nullptr;
  QGroupBox* m_gbTeilnahme = nullptr;
  QGridLayout* m_teilnahmeLayout = nullptr;
  QButtonGroup* m_teilnahme = nullptr;
  QGroupBox* m_gbStart = nullptr;
  QButtonGroup* m_startMode = nullptr;
  QRadioButton* m_rCw = nullptr;
  QRadioButton* m_rSsb = nullptr;
  QRadioButton* m_rFm = nullptr;
  QRadioButton* m_rPr = nullptr;
  QGroupBox* m_gbUhr = nullptr;
  QButtonGroup* m_clock = nullptr;
  QRadioButton* m_rOrtszeit = nullptr;
  QRadioButton* m_rUtc = nullptr;
};

}  // namespace korv
