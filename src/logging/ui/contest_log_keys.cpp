// The logging window's keyboard: the entry fields' Enter, change and exit
// handling, the window's key table and the band and mode lists.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableWidget>

#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "logging/ui/log_widgets.h"
#include "logging/ui/qso_list_panel.h"

namespace korv {
namespace {

bool IsExchangeField(EntryField f) {
  return f == EntryField::kSent2 || f == EntryField::kSent3 || f == EntryField::kSent4 ||
         f == EntryField::kRcvd2 || f == EntryField::kRcvd3 || f == EntryField::kRcvd4;
}

bool IsReceivedField(EntryField f) {
  return f == EntryField::kRcvd2 || f == EntryField::kRcvd3 || f == EntryField::kRcvd4;
}

}  // namespace

// --- the entry fields ------------------------------------------------------------

void TContestLogStd::FieldTextEdited(EntryField field) {
  const std::string text = m_entry->Field(field)->Text();
  if (field == EntryField::kCall) {
    m_session->CallTextChanged(text);
  } else if (IsExchangeField(field)) {
    m_session->ExchangeTextChanged(field, text);
  } else {
    m_session->SetFieldText(field, text);
  }
  Draw();
}

void TContestLogStd::FocusField(EntryField field) {
  QScopedValueRollback<bool> guard(m_leaving, true);
  TkxEdit* edit = m_entry->Field(field);
  if (!edit->isVisibleTo(this)) edit = m_entry->Field(EntryField::kCall);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  // The focus event comes later when the window is not active.
  m_session->FieldEntered(field);
  m_entry->MarkFocused(field);
}

void TContestLogStd::LeaveFocusedField() {
  const std::optional<EntryField> field = m_session->View().focused;
  if (!field || m_leaving) return;
  QScopedValueRollback<bool> guard(m_leaving, true);
  (void)m_session->LeaveField(*field, false);
  Draw();
}

void TContestLogStd::FieldEnter(EntryField field) {
  EntryField next = EntryField::kCall;
  {
    QScopedValueRollback<bool> guard(m_leaving, true);
    const bool saved = m_session->LeaveField(field, true);
    const bool cleared = field == EntryField::kCall && m_session->View().texts[FieldSlot(EntryField::kCall)].empty();
    if (saved) {
      m_list->LocateRecord(m_session->lastSavedRecordNo());
    } else if (m_session->FieldErrorShown()) {
      next = field;  // refused with a message: typed again where it was, selected
    } else if (!cleared) {
      next = m_session->NextFieldOnEnter(field);
    }
  }
  Draw();
  FocusField(next);
}

// --- keys -------------------------------------------------------------------------

bool TContestLogStd::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  const bool ours = widget != nullptr && (widget == this || isAncestorOf(widget));
  if (!ours || !m_started || m_finished) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (FormKeyDown(static_cast<QKeyEvent*>(event), widget)) return true;
      break;
    case QEvent::FocusIn:
      if (const auto f = m_entry->FieldOf(watched)) {
        EnterEntryMode();
        m_session->FieldEntered(*f);
        m_entry->MarkFocused(*f);
      } else if (watched == m_brow->Grid()) {
        EnterListMode();
      }
      break;
    case QEvent::FocusOut: {
      const auto f = m_entry->FieldOf(watched);
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Leaving by Tab, a click or a caption's Alt shortcut (Alt+1 to the
      // first exchange field) runs the exit handler; a message box or a
      // pop-up taking the focus for a moment does not.
      if (f && !m_leaving &&
          (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason ||
           reason == Qt::ShortcutFocusReason)) {
        QScopedValueRollback<bool> guard(m_leaving, true);
        (void)m_session->LeaveField(*f, false);
        Draw();
      }
      break;
    }
    case QEvent::Enter:
    case QEvent::Leave:
      if (watched == m_maker) {
        QFont font = m_maker->font();
        font.setUnderline(event->type() == QEvent::Enter);
        m_maker->setFont(font);
      }
      break;
    case QEvent::MouseButtonPress:
      // A click into the entry panel while the list has the keyboard.
      if (watched == m_entry && m_listMode) Escape();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

bool TContestLogStd::FormKeyDown(QKeyEvent* event, QWidget* receiver) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool alt = mods.testFlag(Qt::AltModifier);
  const auto field = m_entry->FieldOf(receiver);
  auto* popup = qobject_cast<QListWidget*>(receiver);
  if (popup != m_listband && popup != m_listmode) popup = nullptr;
  switch (event->key()) {
    case Qt::Key_Escape: Escape(); return true;
    case Qt::Key_F1: m_btnHilfe->click(); return true;
    case Qt::Key_F2:
      if (field == EntryField::kCall) TakePartialCall(QString());
      return true;
    case Qt::Key_F3: OpenKorrektur(2); return true;
    case Qt::Key_F4: OpenKorrektur(1); return true;
    case Qt::Key_F5: ToggleListFocus(); return true;
    case Qt::Key_F6: m_btnNotiz->click(); return true;
    case Qt::Key_F7: ModeKey(); return true;
    case Qt::Key_F8: m_btnBand->click(); return true;
    case Qt::Key_F9:
      if (!m_btnNameqth->isHidden()) m_btnNameqth->click();
      return true;
    case Qt::Key_F11:
      if (m_session->header().contestCode() == 'P') emit partyEvaluationRequested();
      return true;
    case Qt::Key_F12: OpenKorrektur(0); return true;
    case Qt::Key_Q:
      if (!alt) break;
      m_session->ToggleQslSend();
      Draw();
      return true;
    case Qt::Key_W:
      if (!alt) break;
      OpenKorrektur(0);
      return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
      if (alt && mods.testFlag(Qt::KeypadModifier)) {
        const auto f = static_cast<EntryField>(static_cast<int>(EntryField::kRcvd2) + event->key() - Qt::Key_1);
        if (m_session->View().visible[FieldSlot(f)]) {
          if (field != f) LeaveFocusedField();
          FocusField(f);
        }
        return true;
      }
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (popup != nullptr) {
        ChoosePopup(popup);
        return true;
      }
      if (field) {
        FieldEnter(*field);
        return true;
      }
      break;
    default:
      break;
  }
  if (field == EntryField::kCall && event->text() == QStringLiteral("#")) {
    m_session->HashTypedInCall();
    FieldEnter(EntryField::kCall);
    return true;
  }
  if (field && IsReceivedField(*field) && event->text() == QStringLiteral(" ") &&
      m_session->header().contestCode() != 'i') {
    return true;
  }
  return false;
}

void TContestLogStd::Escape() {
  for (QListWidget* l : {m_listband, m_listmode}) {
    if (l->isVisible()) {
      ClosePopup(l);
      return;
    }
  }
  m_session->Escape();
  // The new entry shows the clock at once, not only at the next tick.
  m_session->ClockTick();
  EnterEntryMode();
  Draw();
  FocusField(EntryField::kCall);
}

void TContestLogStd::ToggleListFocus() {
  if (m_listMode) {
    EnterEntryMode();
    FocusField(EntryField::kCall);
    return;
  }
  LeaveFocusedField();
  EnterListMode();
  m_brow->Grid()->setFocus(Qt::OtherFocusReason);
}

void TContestLogStd::TakePartialCall(const QString& call) {
  if (m_listMode) return;
  if (m_session->View().focused != EntryField::kCall) {
    LeaveFocusedField();
    FocusField(EntryField::kCall);
  }
  if (call.isEmpty()) {
    if (!m_session->TakeFirstPartialCall()) return;
  } else {
    m_session->CallTextChanged(call.toStdString());
  }
  Draw();
  // The operator goes on typing behind the call.
  TkxEdit* edit = m_entry->Field(EntryField::kCall);
  edit->deselect();
  edit->setCursorPosition(static_cast<int>(edit->text().size()));
}

// --- band and mode lists ---------------------------------------------------------------

void TContestLogStd::ModeKey() {
  if (!m_session->ModeKey()) {
    Draw();
    return;
  }
  const std::vector<std::string> modes = m_session->Modes();
  const auto it = std::find(modes.begin(), modes.end(), m_session->mode());
  ShowPopup(m_listmode, it == modes.end() ? 0 : static_cast<int>(it - modes.begin()));
}

void TContestLogStd::ShowPopup(QListWidget* list, int currentRow) {
  QWidget* anchor = list == m_listband ? m_entry->BandLabel() : m_entry->ModeLabel();
  m_popupReturn = QApplication::focusWidget();
  list->move(anchor->mapTo(this, QPoint(0, anchor->height())));
  list->setCurrentRow(currentRow);
  list->show();
  list->raise();
  QScopedValueRollback<bool> guard(m_leaving, true);
  list->setFocus(Qt::PopupFocusReason);
}

void TContestLogStd::ClosePopup(QListWidget* list) {
  list->hide();
  QScopedValueRollback<bool> guard(m_leaving, true);
  if (m_popupReturn != nullptr && m_popupReturn->isVisible()) {
    m_popupReturn->setFocus(Qt::PopupFocusReason);
  } else {
    FocusField(EntryField::kCall);
  }
  m_popupReturn = nullptr;
}

void TContestLogStd::ChoosePopup(QListWidget* list) {
  const int row = list->currentRow();
  ClosePopup(list);
  if (row < 0) return;
  if (list == m_listband) {
    const std::vector<BandIndex> bands = m_session->Bands();
    if (static_cast<std::size_t>(row) >= bands.size()) return;
    m_session->ChangeBand(bands[static_cast<std::size_t>(row)]);
  } else {
    const std::vector<std::string> modes = m_session->Modes();
    if (static_cast<std::size_t>(row) >= modes.size()) return;
    m_session->ChangeMode(modes[static_cast<std::size_t>(row)]);
  }
  Draw();
}

}  // namespace korv
