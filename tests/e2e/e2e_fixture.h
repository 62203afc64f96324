// The end-to-end fixture: one zelvane-sim per suite, a client started fresh for every
// test (its own settings store), and the steps a user takes, each as an assertion.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tools/automation_client.h"
#include "tools/automation_launch.h"

namespace zv::e2e {

using automation::CHarness;
using automation::StateAt;

class E2eTest : public ::testing::Test {
 protected:
  // The demo scenario on free ports with short ads; suites change it in their own
  // SetUpTestSuite before StartSuite.
  static Json::Value Scenario();
  static void StartSuite(const Json::Value& scenario);
  static void TearDownTestSuite();
  static CHarness& H() { return *s_harness; }

  // Back to the scenario as loaded, empty logs, and a new client with an empty store.
  void SetUp() override;

  automation::CAutomationClient& Ui() { return s_harness->Ui(); }
  automation::CSimRunner& Sim() { return s_harness->Sim(); }
  Json::Value State() { return Ui().State(); }

  // Fills the login page and presses the button; waits for the account area.
  ::testing::AssertionResult LogIn(const std::string& user, const std::string& password, bool remember = false,
                                   bool autoLogin = false);
  ::testing::AssertionResult FillLogin(const std::string& user, const std::string& password, bool remember,
                                       bool autoLogin);
  ::testing::AssertionResult Click(const std::string& name);
  ::testing::AssertionResult SetOption(const std::string& name, bool selected);
  // Waits for a message box and answers it; its text to *text.
  ::testing::AssertionResult TakeBox(std::string* text, int timeoutMs = 10000);
  // Double-clicks the device's tile (paging to it), answers the first-control gift box;
  // with expectSession also waits for the session to start.
  ::testing::AssertionResult OpenDevice(const std::string& padCode, bool expectSession = true);
  ::testing::AssertionResult WaitForVideo(int timeoutMs = 30000);
  ::testing::AssertionResult WaitFor(const std::string& what, const automation::CAutomationClient::StatePredicate& p,
                                     int timeoutMs = 10000, Json::Value* last = nullptr);
  // The requests of the sim's log whose path ends with the given one.
  Json::Value Requests(const std::string& pathEnd);
  std::string Failure(const std::string& what);

  static CHarness* s_harness;
  static bool s_fresh;  // the client has not been used since the suite started it
};

bool OnDeviceList(const Json::Value& state);
bool OnLoginPage(const Json::Value& state);

}  // namespace zv::e2e
