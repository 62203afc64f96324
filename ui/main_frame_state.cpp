// The frame's part of the automation's "state" answer: where the user is, the account
// model's identity and quality figures, and the tray balloons shown.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "api/app_context.h"
#include "api/text_util.h"
#include "toolkit/automation_server.h"
#include "ui/main_frame_page.h"

namespace zv::ui {

void CMainFramePage::RegisterStateFields() {
  using DuiLib::CAutomationServer;
  CAutomationServer::RegisterStateField("frame", [this] {
    return QJsonValue(QJsonObject{{"loggedIn", m_loggedIn},
                                  {"inSession", m_inSession},
                                  {"overlayShown", m_overlayShown},
                                  {"loginTab", LoginTab()},
                                  {"accountTab", AccountTab()},
                                  {"lastBackTick", static_cast<qint64>(m_lastBackTick)}});
  });
  CAutomationServer::RegisterStateField("model", [] {
    const zv::CAppContext& model = zv::CAppContext::Instance();
    const std::wstring name = zv::AnsiToWide(model.userName);
    return QJsonValue(QJsonObject{{"userId", model.userId},
                                  {"userName", QString::fromStdWString(name)},
                                  {"loggedInSession", !model.sessionId.empty()},
                                  {"qualityLevel", model.qualityLevel.load()},
                                  {"autoQuality", model.autoQuality.load()},
                                  {"networkLevel", model.networkLevel.load()},
                                  {"currentPadCode", QString::fromStdString(model.currentPadCode)},
                                  {"rbcAmount", model.rbcAmount},
                                  {"padCount", static_cast<int>(model.padList.size())}});
  });
  CAutomationServer::RegisterStateField("balloons", [this] {
    QJsonArray list;
    for (const zv::TrayBalloonRecord& b : m_tray.Balloons())
      list.append(QJsonObject{{"text", QString::fromStdWString(b.text)},
                              {"title", QString::fromStdWString(b.title)},
                              {"kind", b.kind},
                              {"timeout", b.timeoutMs},
                              {"shown", b.shown}});
    return QJsonValue(list);
  });
}

void CMainFramePage::UnregisterStateFields() {
  for (const char* key : {"frame", "model", "balloons"}) DuiLib::CAutomationServer::UnregisterStateField(key);
}

}  // namespace zv::ui
