// Twagprogramme: the window "weitere AFU-Programme", opened by the main
// window's and the logging window's buttons. It presents a page of the
// suite's programs with buttons that open web pages and an e-mail address;
// when it is first activated it opens the second page, the contest modules,
// in a window of the same kind.
#pragma once

#include <QDialog>
#include <QTimer>

#include "platform/platform.h"
#include "shell/further_programs.h"

namespace korv {

// Shows the further-programs window modally (with its second page).
void ShowFurtherPrograms(Platform& platform, QWidget* parent = nullptr);

class Twagprogramme : public QDialog {
  Q_OBJECT
 public:
  // followUp: the page the window opens by itself once it is first
  // activated; none for the follow-up window itself.
  Twagprogramme(Platform& platform, ProgramsPage page, std::optional<ProgramsPage> followUp,
                QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;

 private:
  Platform& m_platform;
  std::optional<ProgramsPage> m_followUp;
  QTimer m_followUpTimer;
};

}  // namespace korv
