#include "platform/message_box.h"

#include <QAbstractButton>
#include <algorithm>
#include <QMessageBox>
#include <QPointer>

namespace zv {

struct CMessageBoxService::Entry {
  MessageBoxInfo info;
  QPointer<QMessageBox> box;
};

CMessageBoxService& CMessageBoxService::Instance() {
  static CMessageBoxService service;
  return service;
}

static QMessageBox::Icon IconOf(uint32_t type, std::string& name) {
  switch (type & 0xF0) {
    case MB_ICONHAND:
      name = "error";
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      name = "question";
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      name = "warning";
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      name = "information";
      return QMessageBox::Information;
    default:
      name = "none";
      return QMessageBox::NoIcon;
  }
}

int CMessageBoxService::Show(QWidget* owner, const std::wstring& text, const std::wstring& caption, uint32_t type) {
  Entry entry;
  entry.info.caption = caption;
  entry.info.text = text;
  QMessageBox box(owner ? owner->window() : nullptr);
  box.setIcon(IconOf(type, entry.info.icon));
  box.setWindowTitle(QString::fromStdWString(caption));
  box.setText(QString::fromStdWString(text));
  switch (type & 0x0F) {
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  entry.box = &box;
  m_open.push_back(&entry);
  int result = box.exec();
  m_open.erase(std::remove(m_open.begin(), m_open.end(), &entry), m_open.end());
  switch (result) {
    case QMessageBox::Ok:
      return ID_OK;
    case QMessageBox::Yes:
      return ID_YES;
    case QMessageBox::No:
      return ID_NO;
    default:
      return ID_CANCEL;
  }
}

std::vector<MessageBoxInfo> CMessageBoxService::OpenBoxes() const {
  std::vector<MessageBoxInfo> out;
  for (const Entry* e : m_open) out.push_back(e->info);
  return out;
}

size_t CMessageBoxService::OpenCount() const { return m_open.size(); }

bool CMessageBoxService::AnswerInnermost(int answer) {
  if (m_open.empty()) return false;
  Entry* e = m_open.back();
  if (!e->box) return false;
  QMessageBox::StandardButton which = QMessageBox::Ok;
  if (answer == ID_CANCEL) which = QMessageBox::Cancel;
  else if (answer == ID_YES) which = QMessageBox::Yes;
  else if (answer == ID_NO) which = QMessageBox::No;
  QAbstractButton* button = e->box->button(which);
  if (!button && answer == ID_OK) button = e->box->button(QMessageBox::Yes);
  if (!button) return false;
  button->click();
  return true;
}

int ShowMessageBox(QWidget* owner, const std::wstring& text, const std::wstring& caption, uint32_t type) {
  return CMessageBoxService::Instance().Show(owner, text, caption, type);
}

}  // namespace zv
