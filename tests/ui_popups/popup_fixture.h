// What the popup tests share: the Qt application, the skin folder of the sources, the
// real zelvane-sim behind the service client, a parent window that records the events it
// is sent, and an answerer that closes every message box and keeps its text.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/service_api.h"
#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "toolkit/ui_window.h"

class QTimer;

namespace zvtest {

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
void PumpFor(int ms);

// The suite's sim; null when it could not start (the test then fails with the reason).
zv::sim::test::CSimProcess* Sim();
const std::string& SimError();
// Requests to the account service whose path ends with suffix, from the sim's log.
int CountRequests(const std::string& suffix);
Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue));

// Answers every message box as soon as it opens and records its text.
class CBoxAnswerer {
 public:
  // Each box is answered once it has been open for delayMs.
  explicit CBoxAnswerer(int delayMs = 0);
  ~CBoxAnswerer();
  const std::vector<std::wstring>& Texts() const { return m_texts; }

 private:
  std::unique_ptr<QTimer> m_timer;
  std::vector<std::wstring> m_texts;
  size_t m_seenOpen = 0;
  long long m_openedAt = 0;
};

struct LoginWithRecord {
  zv::ApiRequest request;
  DuiLib::LPARAM lParam = 0;
};

// A top-level window standing in for the main window.
class CRecordingParent : public DuiLib::CWindowWnd {
 public:
  DuiLib::HWND CreateShown();
  DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override;
  std::vector<LoginWithRecord> loginWith;

 protected:
  const wchar_t* GetWindowClassName() const override { return L"RecordingParent"; }
};

}  // namespace zvtest
