// TFormadifimport: the ADIF import window. The user picks a file, whose
// field names fill the left list; fields that other loggers name as ours are
// mapped onto the log's fields in the right list at once ("LOGFIELD
// (FILEFIELD)"), and the user drags further ones across, drops another field
// onto a mapped entry to replace it, or double-clicks a mapped entry to take
// its field back. "Start" closes the window with OK; the logging window then
// enters the records (output/adif_import.h).
// The window only reads the file and keeps the mapping; it writes nothing.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace korv {

class Platform;

// The left list: its entries are dragged as the file's field name.
class AdifFileFieldList : public QListWidget {
  Q_OBJECT
 public:
  static const char* const kMimeType;
  explicit AdifFileFieldList(QWidget* parent = nullptr);
  // What a drag of `item` carries (the caller owns it).
  QMimeData* DragData(QListWidgetItem* item) const;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

// The right list: accepts every drag; a drop on one of its entries reports
// the dragged field name and the entry's row.
class AdifLogFieldList : public QListWidget {
  Q_OBJECT
 public:
  explicit AdifLogFieldList(QWidget* parent = nullptr);
 signals:
  void fieldDropped(const QString& fileField, int row);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

class TFormadifimport : public QDialog {
  Q_OBJECT
 public:
  // logFields: the right list's names (AdifLogFieldNames). The platform
  // answers the file dialog and shows the messages.
  TFormadifimport(Platform& platform, const std::vector<std::string>& logFields,
                  QWidget* parent = nullptr);

  // "ADIF-Datei auswählen": asks for the file and reads it.
  void ChooseFile();
  // Maps the file's field `fileField` (an entry of the left list) to the
  // right list's entry `row`; a field mapped there before goes back to the
  // left list. False when nothing changed: no such entry, or the name is not
  // in the left list.
  bool MapField(const QString& fileField, int row);
  // Takes the mapping of the right list's entry `row` back: its file field
  // returns to the left list. False when the entry is not mapped.
  bool UnmapField(int row);

  // The records of the chosen file (upper-cased, as ReadAdifText gives them).
  const std::vector<std::string>& Records() const { return m_records; }
  // The right list's entries, "LOGFIELD" or "LOGFIELD (FILEFIELD)".
  std::vector<std::string> RightList() const;
  bool NoCheck() const;

  AdifFileFieldList* FileFields() const { return m_listeLinks; }
  AdifLogFieldList* LogFields() const { return m_listeRechts; }

 private:
  void MapAutomatically();
  // Puts `fileField` back into the left list at its place in the file.
  void ReturnFileField(const QString& fileField);
  void UpdateStartButton();

  Platform& m_platform;
  std::vector<std::string> m_records;
  QStringList m_fileFieldOrder;  // the chosen file's field names in their order
  QStringList m_logFieldNames;
  QLabel* m_ldatei = nullptr;
  AdifFileFieldList* m_listeLinks = nullptr;
  AdifLogFieldList* m_listeRechts = nullptr;
  QCheckBox* m_checkkeincheck = nullptr;
  QPushButton* m_btnimportstart = nullptr;
};

}  // namespace korv
