#include "sim/core/sim_core.h"

#include <event2/event.h>

#include <csignal>

#include "sim/account/account_service.h"
#include "sim/account/account_state.h"
#include "sim/admin/admin_server.h"
#include "sim/core/http_server.h"
#include "sim/core/json_text.h"
#include "sim/payment/payment_gateway.h"
#include "sim/web/web_site.h"

namespace zv::sim {
namespace {

// The ready line's fixed order; ports reported by modules under other names follow.
const char* const kPortOrder[] = {"account", "payment", "admin", "web", "control", "rtmp"};

}  // namespace

struct CSimCore::Services {
  Services(CAccountState& state, const PortMap& ports)
      : account(state, ports), payment(state, ports), web(state) {}
  CAccountService account;
  CPaymentGateway payment;
  CWebSite web;
};

CSimCore::CSimCore() : m_base(event_base_new()), m_accounts(std::make_unique<CAccountState>()) {
  if (m_base) {
    m_admin = std::make_unique<CAdminServer>(m_base);
    AddCoreRoutes();
  }
}

CSimCore::~CSimCore() {
  for (event* signal : m_signals) event_free(signal);
  // Modules and listeners go before the base they live on.
  m_modules.clear();
  m_servers.clear();
  m_admin.reset();
  m_services.reset();
  m_tls.reset();
  if (m_base) event_base_free(m_base);
}

bool CSimCore::Load(const std::string& scenarioPath, const std::string& certDir, std::string& error) {
  if (!m_base) {
    error = "event_base_new failed";
    return false;
  }
  if (!LoadScenarioFile(scenarioPath, m_loaded, error)) return false;
  m_scenario = m_loaded;
  m_accounts->Load(m_scenario);
  m_tls = CreateMutualTlsContext(certDir, error);
  return m_tls != nullptr;
}

void CSimCore::AddModule(std::unique_ptr<ISimModule> module) {
  m_modules.push_back(std::move(module));
}

bool CSimCore::Start(std::string& error) {
  m_services = std::make_unique<Services>(*m_accounts, m_answerPorts);
  struct Listener {
    const char* name;
    SSL_CTX* tls;
    HttpHandler handler;
  };
  Services& services = *m_services;
  const Listener listeners[] = {
      {"account", m_tls.get(), [&services](const CHttpExchange& e) { return services.account.Answer(e); }},
      {"payment", nullptr, [&services](const CHttpExchange& e) { return services.payment.Answer(e); }},
      {"web", nullptr, [&services](const CHttpExchange& e) { return services.web.Answer(e); }},
  };
  for (const auto& listener : listeners) {
    auto server = std::make_unique<CHttpServer>(
        m_base, HttpServerOptions{listener.name, listener.tls, &m_log, &m_faults}, listener.handler);
    if (!server->Bind(ScenarioPort(m_scenario, listener.name), error)) return false;
    m_ports[listener.name] = server->Port();
    m_servers.push_back(std::move(server));
  }
  if (!m_admin->Bind(ScenarioPort(m_scenario, "admin"), error)) return false;
  m_ports["admin"] = m_admin->Port();
  RefreshAnswerPorts();
  for (auto& module : m_modules) {
    std::string reason;
    if (!module->Start(*this, m_ports, reason)) {
      error = std::string("module ") + module->Name() + ": " + reason;
      return false;
    }
  }
  RefreshAnswerPorts();
  for (int number : {SIGTERM, SIGINT}) {
    event* signal = evsignal_new(m_base, number, &CSimCore::OnSignal, this);
    evsignal_add(signal, nullptr);
    m_signals.push_back(signal);
  }
  return true;
}

void CSimCore::RefreshAnswerPorts() {
  // Answers name the scenario's port for a listener this build does not have.
  m_answerPorts.clear();
  if (m_scenario["ports"].isObject()) {
    for (const auto& name : m_scenario["ports"].getMemberNames())
      m_answerPorts[name] = ScenarioPort(m_scenario, name);
  }
  for (const auto& [name, port] : m_ports) m_answerPorts[name] = port;
}

std::string CSimCore::ReadyLine() const {
  std::string ports;
  auto add = [&](const std::string& name, int port) {
    if (!ports.empty()) ports += ",";
    ports += "\"" + name + "\":" + std::to_string(port);
  };
  for (const char* name : kPortOrder) {
    auto it = m_ports.find(name);
    add(name, it == m_ports.end() ? 0 : it->second);
  }
  for (const auto& [name, port] : m_ports) {
    bool known = false;
    for (const char* fixed : kPortOrder) known = known || name == fixed;
    if (!known) add(name, port);
  }
  return "{\"ready\":true,\"ports\":{" + ports + "}}";
}

int CSimCore::Run() {
  return event_base_dispatch(m_base) < 0 ? 1 : 0;
}

void CSimCore::Stop() {
  event_base_loopexit(m_base, nullptr);
}

void CSimCore::OnSignal(int, short, void* self) {
  static_cast<CSimCore*>(self)->Stop();
}

bool CSimCore::IsSessionLive(const std::string& session) {
  return m_accounts->IsSessionLive(session);
}

void CSimCore::AddAdminRoute(const std::string& path, AdminHandler handler) {
  if (m_admin) m_admin->AddRoute(path, std::move(handler));
}

Json::Value CSimCore::AdminCall(const std::string& route, const Json::Value& body) {
  return m_admin ? m_admin->Dispatch(route, ToJsonText(body)) : AdminError("no admin interface");
}

Json::Value CSimCore::Reset() {
  m_scenario = m_loaded;
  m_accounts->Load(m_scenario);
  m_faults.Clear();
  for (auto& handler : m_resetHandlers) handler();
  return AdminOk();
}

Json::Value CSimCore::StateSnapshot() {
  Json::Value answer = AdminOk();
  Json::Value state = m_accounts->Snapshot();
  for (const auto& name : state.getMemberNames()) answer[name] = state[name];
  answer["faults"] = m_faults.Describe();
  answer["ports"] = Json::Value(Json::objectValue);
  for (const auto& [name, port] : m_ports) answer["ports"][name] = port;
  return answer;
}

void CSimCore::AddCoreRoutes() {
  m_admin->AddRoute("log", [this](const Json::Value&) {
    Json::Value answer = AdminOk();
    answer["entries"] = m_log.All();
    return answer;
  });
  m_admin->AddRoute("log/clear", [this](const Json::Value&) {
    m_log.Clear();
    return AdminOk();
  });
  m_admin->AddRoute("inject", [this](const Json::Value& body) {
    std::string error;
    return m_faults.Arm(body, error) ? AdminOk() : AdminError(error);
  });
  m_admin->AddRoute("sessions/expire", [this](const Json::Value&) {
    m_accounts->ExpireAllSessions();
    return AdminOk();
  });
  m_admin->AddRoute("version", [this](const Json::Value& body) {
    if (!body["versionCode"].isString() || body["versionCode"].asString().empty()) {
      return AdminError("version needs a \"versionCode\" text");
    }
    m_accounts->SetNewestVersion(body["versionCode"].asString());
    return AdminOk();
  });
  m_admin->AddRoute("order/pay", [this](const Json::Value& body) {
    SimOrder* order =
        body["orderId"].isString() ? m_accounts->FindOrder(body["orderId"].asString()) : nullptr;
    if (!order) return AdminError("no such order");
    return m_accounts->PayOrder(*order) ? AdminOk() : AdminError("the order is paid already");
  });
  m_admin->AddRoute("reset", [this](const Json::Value&) { return Reset(); });
  m_admin->AddRoute("state", [this](const Json::Value&) { return StateSnapshot(); });
}

}  // namespace zv::sim
