// RigSettingsDialog, "Rig-Steuerung": which radio the logger reads. A choice
// of none / a radio model of Hamlib (searchable list, serial port, speed) /
// rigctld (host, port); "Testen" asks the radio once on a thread of its own
// (the dialog stays usable meanwhile) and shows its answer or the reason;
// "OK" checks the entries and saves them into the settings file (the file's
// other keys stay), "Abbrechen" leaves the file alone.
//
// Use: RigSettingsDialog d(dataDirectory / kOwnSettingsFileName, platform, this);
//      if (d.exec() == QDialog::Accepted) restart the RigConnection with d.Saved().
#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>

#include "platform/platform.h"
#include "rig/rig_connection.h"
#include "rig/rig_settings.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

namespace korv {

class RigSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // Reads the rig keys of `settingsFile` (a bad stored value is shown in the
  // result line, the controls get what was good). Messages go through
  // `platform`, which must outlive the dialog.
  RigSettingsDialog(std::filesystem::path settingsFile, Platform& platform,
                    QWidget* parent = nullptr);
  ~RigSettingsDialog() override;

  // The settings as the controls show them now (not saved).
  RigSettings Shown() const;
  // What OK saved (valid after the dialog was accepted).
  const RigSettings& Saved() const { return m_saved; }
  // True while a "Testen" waits for the radio.
  bool Testing() const;

  // Controls, also found by these object names.
  QRadioButton* rbNone() const { return m_rbNone; }        // "rbNone"
  QRadioButton* rbModel() const { return m_rbModel; }      // "rbModel"
  QRadioButton* rbRigctld() const { return m_rbRigctld; }  // "rbRigctld"
  QLineEdit* edFilter() const { return m_edFilter; }       // "edFilter"
  QTableWidget* tblModels() const { return m_tblModels; }  // "tblModels": Nr., Hersteller, Modell
  QComboBox* cbDevice() const { return m_cbDevice; }       // "cbDevice", editable
  QComboBox* cbSpeed() const { return m_cbSpeed; }  // "cbSpeed", item data = baud, 0 = Standard
  QLineEdit* edHost() const { return m_edHost; }    // "edHost"
  QLineEdit* edPort() const { return m_edPort; }    // "edPort"
  QLabel* lModel() const { return m_lModel; }       // "lModel": the chosen model
  QLabel* lResult() const { return m_lResult; }     // "lResult": test answer, problems
  QPushButton* btnTesten() const { return m_btnTesten; }        // "btnTesten"
  QPushButton* btnOk() const { return m_btnOk; }                // "btnOk"
  QPushButton* btnAbbrechen() const { return m_btnAbbrechen; }  // "btnAbbrechen"

 private:
  void Show(const RigSettings& settings);
  void ChooseModel(int number);
  void ApplyFilter();
  void EnableForKind();
  void StartTest();
  void PollTest();
  void TakeOk();

  std::filesystem::path m_file;
  Platform& m_platform;
  RigSettings m_saved;
  int m_model = 0;
  std::optional<RigProbeJob> m_probe;
  QTimer* m_probeTimer = nullptr;

  QRadioButton* m_rbNone = nullptr;
  QRadioButton* m_rbModel = nullptr;
  QRadioButton* m_rbRigctld = nullptr;
  QGroupBox* m_gbModel = nullptr;
  QGroupBox* m_gbRigctld = nullptr;
  QLineEdit* m_edFilter = nullptr;
  QTableWidget* m_tblModels = nullptr;
  QComboBox* m_cbDevice = nullptr;
  QComboBox* m_cbSpeed = nullptr;
  QLineEdit* m_edHost = nullptr;
  QLineEdit* m_edPort = nullptr;
  QLabel* m_lModel = nullptr;
  QLabel* m_lResult = nullptr;
  QPushButton* m_btnTesten = nullptr;
  QPushButton* m_btnOk = nullptr;
  QPushButton* m_btnAbbrechen = nullptr;
};

}  // namespace korv
