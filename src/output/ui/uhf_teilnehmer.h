// Tuhfteilnehmer, the dialog "VHF/UHF-Contest" of the EDI output: the
// header values of the file, pre-filled with the station's data, which the
// operator completes before the file is written. Its one button "OK"
// accepts; Esc or the close box end the output without a file.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "output/edi_file.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace korv {

class Tuhfteilnehmer : public QDialog {
  Q_OBJECT
 public:
  explicit Tuhfteilnehmer(const EdiStationData& values, QWidget* parent = nullptr);

  // Shows the dialog modally over parent; true with the values completed
  // when it was closed with "OK".
  static bool Complete(EdiStationData& values, QWidget* parent);

  // The fields' texts as the file takes them.
  EdiStationData Values() const;

  // A field by its name ("pcall", "rname", ...).
  QLineEdit* Field(const char* name) const;
  QComboBox* BandList() const { return m_pband; }
  QPlainTextEdit* Remarks() const { return m_rremarks; }

 private:
  QLineEdit* AddField(const char* name, const std::string& text);

  std::map<std::string, QLineEdit*> m_fields;
  QComboBox* m_pband = nullptr;
  QPlainTextEdit* m_rremarks = nullptr;
};

}  // namespace korv
