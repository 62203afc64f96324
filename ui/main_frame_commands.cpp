// The page commands (UWM_PAGE_COMMAND sub-codes) the pages send to the main frame.
#include <QWidget>
#include <string>
#include <vector>

#include "api/app_context.h"
#include "app/events.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_window_host.h"
#include "ui/main_frame_page.h"

namespace zv::ui {

using DuiLib::LPARAM;
using DuiLib::WPARAM;

namespace {

std::string TextOf(const char* text) {
  return text ? std::string(text) : std::string();
}

}  // namespace

void CMainFramePage::OnPageCommand(WPARAM sub, LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (sub) {
    case zv::PAGE_CMD_LOG_OUT:
      LogOut(lParam == 1);
      break;
    case zv::PAGE_CMD_SHOW_WAITING:
      if (m_loginPage) ShowWaitingOverlay(true, m_hWnd);
      break;
    case zv::PAGE_CMD_SHOW_APPLY:
      ShowApplyPage();
      break;
    case zv::PAGE_CMD_SHOW_DEVICE_LIST:
      ShowDeviceList();
      break;
    case zv::PAGE_CMD_OPEN_PLAYER:
      OpenPlayerPage();
      break;
    case zv::PAGE_CMD_PAY_OVERLAY:
      ShowReconnectOverlay(lParam == 1);
      break;
    case zv::PAGE_CMD_FAULT_FEEDBACK:
      OpenFaultFeedback();
      break;
    case zv::PAGE_CMD_RECHARGE:
      OpenRecharge(text);
      break;
    case zv::PAGE_CMD_PAY_ORDER:
      PayOrder(text);
      break;
    case zv::PAGE_CMD_ORDERS:
      OpenOrders();
      break;
    case zv::PAGE_CMD_EXCHANGE:
      OpenExchange(text);
      break;
    case zv::PAGE_CMD_AGREEMENT:
      OpenAgreement(lParam != 0);
      break;
    default:
      break;
  }
}

void CMainFramePage::OpenPlayerPage() {
  DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login");
  if (!tab) return;
  tab->SelectItem(2);
  if (m_playerPage) m_playerPage->StartPlayback(m_hWnd);
  m_inSession = 1;
}

bool CMainFramePage::ShowAccountTab(int tab) {
  DuiLib::CTabLayoutUI* main = FindTab(L"switch_Login");
  if (!main) return false;
  main->SelectItem(1);
  if (DuiLib::CTabLayoutUI* account = FindTab(L"switch")) account->SelectItem(tab);
  if (m_servicePanel) m_servicePanel->RefreshBeans();
  return true;
}

void CMainFramePage::OpenFaultFeedback() {
  if (ShowAccountTab(3)) {
    if (auto* page = dynamic_cast<IFaultFeedbackPage*>(Find(L"FaultFeedbackWindow"))) page->LoadData();
  }
  RepaintNow();
}

void CMainFramePage::OpenRecharge(const char* padCode) {
  if (ShowAccountTab(4)) {
    if (auto* page = dynamic_cast<IChargePage*>(Find(L"ChargeWindow"))) {
      const std::string pad = TextOf(padCode);
      page->SetRenewal(!pad.empty(), pad);
      page->Load(m_hWnd);
    }
  }
  RepaintNow();
}

void CMainFramePage::PayOrder(const char* orderId) {
  if (!orderId) return;
  const std::string wanted(orderId);
  if (ShowAccountTab(4)) {
    // The page may refill the order list while it pays, so the matches are counted first.
    size_t matches = 0;
    for (const zv::OrderInfo& order : zv::CAppContext::Instance().orderList)
      if (order.orderId == wanted) ++matches;
    if (auto* page = dynamic_cast<IChargePage*>(Find(L"ChargeWindow")))
      for (size_t i = 0; i < matches; ++i) page->PayOrder(wanted, m_hWnd);
  }
  RepaintNow();
}

void CMainFramePage::OpenOrders() {
  if (ShowAccountTab(5)) {
    if (auto* page = dynamic_cast<IOrderPage*>(Find(L"OrderInfoWindow"))) page->Load(m_hWnd);
  }
  RepaintNow();
}

void CMainFramePage::OpenExchange(const char* padCode) {
  if (ShowAccountTab(6)) {
    if (auto* page = dynamic_cast<IExchangePage*>(Find(L"ExChangeRBCWindow"))) {
      page->SetPadCode(TextOf(padCode));
      page->Load(m_hWnd);
    }
  }
  RepaintNow();
}

void CMainFramePage::OpenAgreement(bool vip) {
  if (ShowAccountTab(7)) {
    if (auto* page = dynamic_cast<IAgreementPage*>(Find(L"AgreeServiceWindow")))
      page->SetDeviceKind(vip ? L"1" : L"0");
  }
  RepaintNow();
}

void CMainFramePage::RepaintNow() {
  m_PaintManager.UpdateLayout();
  if (m_hWnd) m_hWnd->repaint();
}

}  // namespace zv::ui
