// The logging window's radio: the rig timer reads the connection's latest
// state (never waiting for the radio, which a worker of its own asks) and
// hands band, mode and frequency to the entry session; the status line shows
// what the radio says.
#include <QLabel>

#include "controls/ui/kx_edit.h"
#include "files/own_settings.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "logging/ui/log_widgets.h"
#include "rig/rig_connection.h"
#include "rig/rig_mapping.h"
#include "rig/ui/rig_settings_dialog.h"

namespace korv {

void TContestLogStd::ConnectRig() {
  m_rigTimer.stop();
  m_rig.reset();
  m_rigSeen = 0;
  const RigSettingsRead read = LoadRigSettings(m_session->dataDirectory() / kOwnSettingsFileName);
  if (read.settings.kind == RigKind::kNone) {
    // No radio configured: no status; a stored value that is no setting says why.
    SetLabelText(m_rigStatus, read.problem.empty() ? std::string() : "Rig: " + read.problem);
    m_rigStatus->setVisible(!read.problem.empty());
    return;
  }
  m_rig = std::make_unique<RigConnection>(read.settings);
  m_rigStatus->show();
  PollRig();
  m_rigTimer.start();
}

void TContestLogStd::PollRig() {
  if (!m_rig || m_finished) return;
  const RigState state = m_rig->Latest();
  const std::vector<BandIndex> bands = m_session->Bands();
  std::string status = RigStatusText(state, bands);
  // Only a new reading is taken: a band chosen by hand stays until the
  // radio changes.
  if (state.sequence != m_rigSeen) {
    m_rigSeen = state.sequence;
    if (state.connected && state.frequencyHz > 0) {
      RigReading reading;
      reading.band = RigBandOf(state.frequencyHz, bands);
      reading.mode = RigModeOf(state.mode, m_session->Modes());
      reading.mhz = static_cast<double>(state.frequencyHz) / 1e6;
      m_session->TakeRigReading(reading);
      Draw();
    }
  }
  if (m_session->RigReadingHeld()) status += " (wird nach diesem QSO \xFC" "bernommen)";
  SetLabelText(m_rigStatus, status);
}

void TContestLogStd::OpenRigSettings() {
  RigSettingsDialog dialog(m_session->dataDirectory() / kOwnSettingsFileName, m_session->platform(), this);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (accepted) ConnectRig();
  FocusField(EntryField::kCall);
}

}  // namespace korv
