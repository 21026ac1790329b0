#include "logging/ui/adif_import_form.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>
#include <system_error>

#include "output/adif_import.h"
#include "output/adif_reader.h"
#include "platform/platform.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

QLabel* Caption(const char* cp1252, QWidget* parent) {
  return new QLabel(ToQString(cp1252), parent);
}

}  // namespace

// --- the two lists ----------------------------------------------------------------

const char* const AdifFileFieldList::kMimeType = "application/x-korv-adif-field";

AdifFileFieldList::AdifFileFieldList(QWidget* parent) : QListWidget(parent) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  // The window removes a mapped entry itself; the drag only copies.
  setDefaultDropAction(Qt::CopyAction);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

QMimeData* AdifFileFieldList::DragData(QListWidgetItem* item) const {
  return mimeData({item});
}

QStringList AdifFileFieldList::mimeTypes() const {
  return {QString::fromLatin1(kMimeType)};
}

QMimeData* AdifFileFieldList::mimeData(const QList<QListWidgetItem*>& items) const {
  if (items.isEmpty() || items.front() == nullptr) return nullptr;
  auto* packed = new QMimeData;
  packed->setData(QString::fromLatin1(kMimeType), items.front()->text().toUtf8());
  return packed;
}

AdifLogFieldList::AdifLogFieldList(QWidget* parent) : QListWidget(parent) {
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setDropIndicatorShown(true);
}

void AdifLogFieldList::dragEnterEvent(QDragEnterEvent* event) {
  event->acceptProposedAction();
}

void AdifLogFieldList::dragMoveEvent(QDragMoveEvent* event) {
  event->acceptProposedAction();
}

void AdifLogFieldList::dropEvent(QDropEvent* event) {
  const QString type = QString::fromLatin1(AdifFileFieldList::kMimeType);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!event->mimeData()->hasFormat(type) || !index.isValid()) {
    event->ignore();
    return;
  }
  // Copy, never move: a move would let the left list delete its entry on
  // its own, mapped or not.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit fieldDropped(QString::fromUtf8(event->mimeData()->data(type)), index.row());
}

// --- the window -------------------------------------------------------------------

TFormadifimport::TFormadifimport(Platform& platform, const std::vector<std::string>& logFields,
                                 QWidget* parent)
    : QDialog(parent), m_platform(platform) {
  setObjectName(QStringLiteral("TFormadifimport"));
  setWindowTitle(QStringLiteral("ADIF-Import"));
  auto* outer = new QVBoxLayout(this);

  auto* intro = Caption(
      "Mit dieser Funktion k\xF6nnen ADIF-Dateien anderer Logb\xFC"
      "cher eingelesen werden.",
      this);
  intro->setObjectName(QStringLiteral("Label2"));
  outer->addWidget(intro);
  auto* fileRow = new QHBoxLayout;
  outer->addLayout(fileRow);
  auto* btndatei = new QPushButton(ToQString("ADIF-Datei ausw\xE4hlen"), this);
  btndatei->setObjectName(QStringLiteral("btndatei"));
  btndatei->setAutoDefault(false);
  fileRow->addWidget(btndatei);
  m_ldatei = new QLabel(this);
  m_ldatei->setObjectName(QStringLiteral("ldatei"));
  fileRow->addWidget(m_ldatei, 1);

  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("PageControl1"));
  outer->addWidget(pages, 1);
  auto* page = new QWidget(pages);
  page->setObjectName(QStringLiteral("TabSheet1"));
  pages->addTab(page, QStringLiteral("Feldzuordnung"));
  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(Caption(
      "Ziehen Sie mit der Maus die gew\xFCnschten Eintr\xE4ge aus der linken in die rechte Liste.",
      page));
  auto* lists = new QHBoxLayout;
  pageLayout->addLayout(lists, 1);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  lists->addLayout(left);
  lists->addLayout(right);
  left->addWidget(Caption("Felder der ADIF-Datei", page));
  m_listeLinks = new AdifFileFieldList(page);
  m_listeLinks->setObjectName(QStringLiteral("ListeLinks"));
  left->addWidget(m_listeLinks, 1);
  right->addWidget(Caption("Felder im Log", page));
  m_listeRechts = new AdifLogFieldList(page);
  m_listeRechts->setObjectName(QStringLiteral("ListeRechtsLB"));
  for (const std::string& name : logFields) {
    m_logFieldNames << ToQString(name);
    m_listeRechts->addItem(ToQString(name));
  }
  right->addWidget(m_listeRechts, 1);

  m_checkkeincheck = new QCheckBox(ToQString("keine Mode/Band-\xDC"
                                             "berpr\xFC"
                                             "fung"),
                                   this);
  m_checkkeincheck->setObjectName(QStringLiteral("checkkeincheck"));
  outer->addWidget(m_checkkeincheck);
  auto* buttons = new QHBoxLayout;
  outer->addLayout(buttons);
  buttons->addStretch(1);
  m_btnimportstart = new QPushButton(QStringLiteral("Start"), this);
  m_btnimportstart->setObjectName(QStringLiteral("btnimportstart"));
  m_btnimportstart->setDefault(true);
  m_btnimportstart->setEnabled(false);
  buttons->addWidget(m_btnimportstart);
  auto* cancel = new QPushButton(QStringLiteral("Abbruch"), this);
  cancel->setObjectName(QStringLiteral("BitBtn1"));
  cancel->setAutoDefault(false);
  buttons->addWidget(cancel);

  connect(btndatei, &QPushButton::clicked, this, [this] { ChooseFile(); });
  connect(m_listeRechts, &AdifLogFieldList::fieldDropped, this,
          [this](const QString& fileField, int row) { (void)MapField(fileField, row); });
  connect(m_listeRechts, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { (void)UnmapField(m_listeRechts->row(item)); });
  connect(m_btnimportstart, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(560, 480);
}

void TFormadifimport::ChooseFile() {
  FileDialogRequest request;
  request.filterCaption = "ADIF-Datei (*.adi, *.adif)";
  request.filterPattern = "*.ADI;*.ADIF";
  const auto chosen = m_platform.AskOpenFileName(request);
  if (!chosen) return;
  m_listeLinks->clear();
  m_fileFieldOrder.clear();
  // The records always belong to the file shown: a failed choice leaves
  // none, so "Start" cannot import a file that is no longer named.
  m_records.clear();
  m_ldatei->setText(QString::fromStdString(chosen->string()));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(*chosen, ec)) {
    m_platform.Inform("Datei existiert nicht");
    return;
  }
  const auto bytes = ReadFileBytes(*chosen);
  if (!bytes) {
    m_platform.Inform("Datei kann nicht gelesen werden");
    return;
  }
  AdifContents contents = ReadAdifText(*bytes);
  m_records = std::move(contents.records);
  // A new file is mapped afresh.
  for (int i = 0; i < m_listeRechts->count(); ++i) m_listeRechts->item(i)->setText(m_logFieldNames.value(i));
  for (const std::string& name : contents.fieldNames) {
    m_fileFieldOrder << ToQString(name);
    m_listeLinks->addItem(ToQString(name));
  }
  MapAutomatically();
}

void TFormadifimport::MapAutomatically() {
  for (int row = 0; row < m_listeRechts->count(); ++row) {
    std::vector<std::string> available;
    for (int i = 0; i < m_listeLinks->count(); ++i) available.push_back(FromQString(m_listeLinks->item(i)->text()));
    const std::string fileField = AdifAutomaticFileField(FromQString(m_logFieldNames.value(row)), available);
    if (!fileField.empty()) (void)MapField(ToQString(fileField), row);
  }
}

bool TFormadifimport::MapField(const QString& fileField, int row) {
  QListWidgetItem* target = m_listeRechts->item(row);
  if (target == nullptr) return false;
  const QList<QListWidgetItem*> dragged = m_listeLinks->findItems(fileField, Qt::MatchExactly);
  if (dragged.isEmpty()) return false;
  delete m_listeLinks->takeItem(m_listeLinks->row(dragged.front()));
  (void)UnmapField(row);
  target->setText(m_logFieldNames.value(row) + QStringLiteral(" (") + fileField + QStringLiteral(")"));
  UpdateStartButton();
  return true;
}

bool TFormadifimport::UnmapField(int row) {
  QListWidgetItem* target = m_listeRechts->item(row);
  if (target == nullptr) return false;
  const QString logField = m_logFieldNames.value(row);
  const QString text = target->text();
  if (text == logField) return false;
  // "LOGFIELD (FILEFIELD)"
  ReturnFileField(text.mid(logField.size() + 2, text.size() - logField.size() - 3));
  target->setText(logField);
  UpdateStartButton();
  return true;
}

void TFormadifimport::ReturnFileField(const QString& fileField) {
  const int place = static_cast<int>(m_fileFieldOrder.indexOf(fileField));
  if (place < 0) return;  // a field of a file chosen before
  int row = 0;
  while (row < m_listeLinks->count() &&
         static_cast<int>(m_fileFieldOrder.indexOf(m_listeLinks->item(row)->text())) < place) {
    ++row;
  }
  m_listeLinks->insertItem(row, fileField);
}

void TFormadifimport::UpdateStartButton() {
  bool mapped = false;
  for (int i = 0; i < m_listeRechts->count(); ++i) mapped = mapped || m_listeRechts->item(i)->text() != m_logFieldNames.value(i);
  m_btnimportstart->setEnabled(mapped);
}

std::vector<std::string> TFormadifimport::RightList() const {
  std::vector<std::string> entries;
  for (int i = 0; i < m_listeRechts->count(); ++i)
    entries.push_back(FromQString(m_listeRechts->item(i)->text()));
  return entries;
}

bool TFormadifimport::NoCheck() const {
  return m_checkkeincheck->isChecked();
}

}  // namespace korv
