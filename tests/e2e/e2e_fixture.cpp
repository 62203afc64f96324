#include "tests/e2e/e2e_fixture.h"

namespace zv::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

CHarness* E2eTest::s_harness = nullptr;
bool E2eTest::s_fresh = false;

namespace {

bool IsFailureText(const std::string& text) {
  for (const char* word : {"失败", "不够", "未找到", "错误"})
    if (text.find(word) != std::string::npos) return true;
  return false;
}

int SlotOf(const Json::Value& state, const std::string& padCode) {
  const Json::Value& tiles = StateAt(state, "devices.slots");
  for (Json::ArrayIndex i = 0; i < tiles.size(); ++i)
    if (tiles[i]["used"].asBool() && tiles[i]["padCode"].asString() == padCode) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace

bool OnDeviceList(const Json::Value& s) {
  return StateAt(s, "frame.loggedIn").asBool() && StateAt(s, "frame.loginTab").asInt() == 1 &&
         StateAt(s, "frame.accountTab").asInt() == 1;
}

bool OnLoginPage(const Json::Value& s) {
  return !StateAt(s, "frame.loggedIn").asBool() && StateAt(s, "frame.loginTab").asInt() == 0;
}

Json::Value E2eTest::Scenario() {
  std::string error;
  Json::Value scenario = automation::DemoScenario(true, error);
  automation::SetAdTime(scenario, 2);
  return scenario;
}

void E2eTest::StartSuite(const Json::Value& scenario) {
  s_harness = new CHarness;
  std::string error;
  if (!s_harness->Start(scenario, error)) {
    ADD_FAILURE() << "cannot start the sim and the client: " << error;
    s_harness->Stop();
  }
  s_fresh = true;
}

void E2eTest::TearDownTestSuite() {
  delete s_harness;
  s_harness = nullptr;
}

void E2eTest::SetUp() {
  ASSERT_NE(s_harness, nullptr);
  ASSERT_TRUE(Sim().IsRunning()) << "zelvane-sim is not running";
  ASSERT_TRUE(Sim().Admin("reset")["ok"].asBool());
  Sim().Admin("log/clear");
  Sim().Admin("control/log/clear");
  Sim().Admin("stream/log/clear");
  // The suite's first test takes the client the suite started; later ones start their own.
  if (!s_fresh) {
    s_harness->StopClient();
    automation::RemoveTree(s_harness->Dir() + "/config");
    std::string error;
    ASSERT_TRUE(s_harness->StartClient(error)) << error;
  }
  s_fresh = false;
  ASSERT_TRUE(Ui().WaitForControl("Edit_UserName", 30000)) << Failure("the login page did not appear");
}

std::string E2eTest::Failure(const std::string& what) {
  std::string text = what;
  Json::Value boxes = Ui().Boxes();
  if (boxes.isArray())
    for (const Json::Value& box : boxes) text += "\n  open box: " + box["text"].asString();
  text += "\n  state: " + automation::ToJsonLine(Ui().State());
  text += "\n  client output:\n" + s_harness->ClientLog();
  return text;
}

AssertionResult E2eTest::Click(const std::string& name) {
  std::string error;
  if (!Ui().WaitForControl(name, 10000)) return AssertionFailure() << Failure(name + " is not on screen");
  if (!Ui().Click(name, error)) return AssertionFailure() << "click " << name << ": " << error;
  return AssertionSuccess();
}

AssertionResult E2eTest::SetOption(const std::string& name, bool selected) {
  Json::Value option;
  if (!Ui().WaitForControl(name, 10000, &option)) return AssertionFailure() << name << " is not on screen";
  if (option["selected"].asBool() != selected) {
    AssertionResult clicked = Click(name);
    if (!clicked) return clicked;
  }
  if (automation::FindControl(Ui().Tree(), name)["selected"].asBool() != selected)
    return AssertionFailure() << name << " did not change";
  return AssertionSuccess();
}

AssertionResult E2eTest::FillLogin(const std::string& user, const std::string& password, bool remember,
                                   bool autoLogin) {
  std::string error;
  if (!Ui().Type("Edit_UserName", user, error)) return AssertionFailure() << "typing the user name: " << error;
  // A click on the password box selects its text, so typing replaces it.
  AssertionResult focused = Click("Edit_Password");
  if (!focused) return focused;
  if (!Ui().Type("Edit_Password", password, error)) return AssertionFailure() << "typing the password: " << error;
  AssertionResult options = SetOption("Option_rememberPsw", remember);
  if (options) options = SetOption("Option_Login", autoLogin);
  return options;
}

AssertionResult E2eTest::LogIn(const std::string& user, const std::string& password, bool remember,
                               bool autoLogin) {
  AssertionResult filled = FillLogin(user, password, remember, autoLogin);
  if (!filled) return filled;
  AssertionResult clicked = Click("Button_Login");
  if (!clicked) return clicked;
  return WaitFor("the account area", [](const Json::Value& s) { return OnDeviceList(s); }, 20000);
}

AssertionResult E2eTest::WaitFor(const std::string& what, const automation::CAutomationClient::StatePredicate& p,
                                 int timeoutMs, Json::Value* last) {
  if (Ui().WaitForState(p, timeoutMs, last)) return AssertionSuccess();
  return AssertionFailure() << Failure("timed out waiting for " + what);
}

AssertionResult E2eTest::TakeBox(std::string* text, int timeoutMs) {
  Json::Value box;
  if (!Ui().WaitForBox(timeoutMs, &box)) return AssertionFailure() << Failure("no message box appeared");
  if (text) *text = box["text"].asString();
  std::string error;
  if (!Ui().Answer("ok", error)) return AssertionFailure() << "answer: " << error;
  return AssertionSuccess();
}

AssertionResult E2eTest::OpenDevice(const std::string& padCode, bool expectSession) {
  Json::Value state = State();
  int pages = StateAt(state, "devices.pageCount").asInt();
  int slot = SlotOf(state, padCode);
  for (int page = 0; slot == 0 && page < pages; ++page) {
    AssertionResult turned = Click("Button_RightPage");
    if (!turned) return turned;
    slot = SlotOf(State(), padCode);
  }
  if (slot == 0) return AssertionFailure() << Failure(padCode + " has no tile");
  std::string error;
  if (!Ui().DbClick("Option_Service" + std::to_string(slot), error)) return AssertionFailure() << "dbclick: " << error;
  // The first control of a device earns a gift, announced in a box; refusals and failures
  // are left open for the test to read.
  Json::Value boxes = Ui().Boxes();
  if (boxes.isArray() && boxes.size() == 1 && !IsFailureText(boxes[0]["text"].asString())) Ui().Answer("ok", error);
  if (!expectSession) return AssertionSuccess();
  return WaitFor("the device session", [](const Json::Value& s) { return StateAt(s, "frame.inSession").asBool(); });
}

AssertionResult E2eTest::WaitForVideo(int timeoutMs) {
  return WaitFor(
      "video",
      [](const Json::Value& s) {
        return StateAt(s, "player.frameReceived").asBool() && StateAt(s, "player.playerTab").asInt() == 1 &&
               StateAt(s, "player.framesShown").asInt() > 0;
      },
      timeoutMs);
}

Json::Value E2eTest::Requests(const std::string& pathEnd) {
  Json::Value out(Json::arrayValue);
  for (const Json::Value& entry : Sim().RequestLog()) {
    const std::string path = entry["path"].asString();
    if (path.size() >= pathEnd.size() && path.compare(path.size() - pathEnd.size(), pathEnd.size(), pathEnd) == 0)
      out.append(entry);
  }
  return out;
}

}  // namespace zv::e2e
