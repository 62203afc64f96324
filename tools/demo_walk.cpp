// The demo: zelvane-sim with the demo account and the ZelvanePlayer client against it.
// Headless (the default) it walks through the central flow as a user would, through the
// client's automation socket, prints one line per step and saves a screenshot of each
// under --out; it exits 0 only when every step succeeded. With --interactive it opens the
// window for a person and stops the sim once the window is closed.
#include <QColor>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tools/automation_client.h"
#include "tools/automation_launch.h"

namespace {

using namespace zv::automation;

struct Options {
  std::string outDir;
  std::string docsDir;
  int adTime = -1;  // the scenario's own when negative
  bool interactive = false;
};

// A failed step's reason; empty while everything goes well.
struct Walk {
  CHarness harness;
  Options options;
  std::string why;
  int shot = 0;
  std::map<std::string, std::string> shots;  // step name -> file
  long long lastMainMenuMs = 0;
  int picX = 0, picY = 0;  // PadPlayingVedioShow's top-left corner in the window
  std::string mainWindow;  // the frame's window; the layered shadow frame is another one

  CAutomationClient& Ui() { return harness.Ui(); }
  bool Fail(const std::string& reason) {
    why = reason;
    return false;
  }
};

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Screenshot(Walk& w, const std::string& name) {
  char file[128];
  std::snprintf(file, sizeof(file), "%02d-%s.png", ++w.shot, name.c_str());
  const std::string path = w.options.outDir + "/" + file;
  if (!w.Ui().Screenshot(path, w.why, w.mainWindow)) return false;
  w.shots[name] = path;
  return true;
}

bool ClickControl(Walk& w, const std::string& name) {
  std::string error;
  if (!w.Ui().WaitForControl(name, 10000)) return w.Fail(name + " is not on screen");
  if (!w.Ui().Click(name, error)) return w.Fail("click " + name + ": " + error);
  return true;
}

bool WaitState(Walk& w, const std::string& what, int timeoutMs, const CAutomationClient::StatePredicate& p) {
  Json::Value last;
  if (w.Ui().WaitForState(p, timeoutMs, &last)) return true;
  Json::Value boxes = w.Ui().Boxes();
  std::string reason = "timed out waiting for " + what;
  if (boxes.isArray() && !boxes.empty()) reason += " (message box: " + boxes[boxes.size() - 1]["text"].asString() + ")";
  return w.Fail(reason);
}

bool Flag(const Json::Value& state, const char* path) { return StateAt(state, path).asBool(); }
int Number(const Json::Value& state, const char* path) { return StateAt(state, path).asInt(); }

bool ControlSelected(Walk& w, const std::string& name) {
  return FindControl(w.Ui().Tree(), name)["selected"].asBool();
}

bool LoggedInOnDeviceList(const Json::Value& s) {
  return Flag(s, "frame.loggedIn") && Number(s, "frame.loginTab") == 1 && Number(s, "frame.accountTab") == 1;
}

bool StepStart(Walk& w) {
  std::string error;
  Json::Value scenario = DemoScenario(true, error);
  if (scenario.isNull()) return w.Fail(error);
  if (w.options.adTime >= 0) SetAdTime(scenario, w.options.adTime);
  if (!w.harness.Start(scenario, error)) return w.Fail(error);
  if (!w.Ui().WaitForControl("Edit_UserName", 30000)) return w.Fail("the login page did not appear");
  w.mainWindow = MainWindowName(w.Ui());
  if (w.mainWindow.empty()) return w.Fail("no window holds switch_Login");
  return Screenshot(w, "login");
}

bool StepTypedLogin(Walk& w) {
  std::string error;
  if (!w.Ui().Type("Edit_UserName", "demo", error) || !w.Ui().Type("Edit_Password", "123456", error))
    return w.Fail("typing: " + error);
  if (!ControlSelected(w, "Option_rememberPsw") && !ClickControl(w, "Option_rememberPsw")) return false;
  if (!ControlSelected(w, "Option_rememberPsw")) return w.Fail("remember password did not get selected");
  if (!ClickControl(w, "Button_Login")) return false;
  return WaitState(w, "the device list after login", 20000, LoggedInOnDeviceList);
}

bool StepDeviceList(Walk& w) {
  Json::Value s;
  auto filled = [](const Json::Value& st) { return StateAt(st, "devices.slots")[0]["used"].asBool(); };
  if (!w.Ui().WaitForState(filled, 10000, &s)) return w.Fail("no device tile was filled");
  if (Number(s, "model.padCount") != 5) return w.Fail("expected 5 devices, padCount " + StateAt(s, "model.padCount").asString());
  if (Number(s, "devices.pageCount") != 2) return w.Fail("expected 2 pages of tiles");
  Json::Value tree = w.Ui().Tree();
  for (int i = 1; i <= 4; ++i) {
    std::string tile = "Option_Service" + std::to_string(i);
    std::string text = FindControl(tree, tile)["text"].asString();
    if (text != "设备" + std::to_string(i)) return w.Fail(tile + " shows '" + text + "'");
  }
  std::printf("       tiles: PAD-FREE-1, PAD-VIP-1, PAD-BUSY-1, PAD-EXPIRED-1 on page 1 of 2\n");
  return Screenshot(w, "devices");
}

bool StepLogOut(Walk& w) {
  if (!ClickControl(w, "Button_SwitchAccount")) return false;
  return WaitState(w, "the login page after logging out", 10000, [](const Json::Value& s) {
    return !Flag(s, "frame.loggedIn") && Number(s, "frame.loginTab") == 0;
  });
}

bool StepRememberedLogin(Walk& w) {
  Json::Value password;
  if (!w.Ui().WaitForControl("Edit_Password", 5000, &password)) return w.Fail("no password box");
  if (password["text"].asString() != "********")
    return w.Fail("the password box shows '" + password["text"].asString() + "', not ********");
  if (!Screenshot(w, "remembered") || !ClickControl(w, "Button_Login")) return false;
  return WaitState(w, "the device list after the remembered login", 20000, LoggedInOnDeviceList);
}

int SlotOf(Walk& w, const std::string& padCode) {
  Json::Value tiles = StateAt(w.Ui().State(), "devices.slots");
  for (Json::ArrayIndex i = 0; i < tiles.size(); ++i)
    if (tiles[i]["padCode"].asString() == padCode) return static_cast<int>(i) + 1;
  return 0;
}

// Double-clicks the device's tile and answers the first-control gift box; fails on any
// other box (refusal, connect failure).
bool OpenDevice(Walk& w, const std::string& padCode) {
  int slot = SlotOf(w, padCode);
  if (slot == 0) return w.Fail(padCode + " has no tile");
  std::string error;
  if (!w.Ui().DbClick("Option_Service" + std::to_string(slot), error)) return w.Fail("dbclick: " + error);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    Json::Value boxes = w.Ui().Boxes();
    if (boxes.isArray() && !boxes.empty()) {
      std::string text = boxes[boxes.size() - 1]["text"].asString();
      if (text.find("连接服务器失败") != std::string::npos || text.find("不够") != std::string::npos ||
          text.find("未找到") != std::string::npos)
        return w.Fail("the client says: " + text);
      std::printf("       box: %s (OK)\n", text.c_str());
      if (!w.Ui().Answer("ok", error)) return w.Fail("answer: " + error);
      continue;
    }
    if (Flag(w.Ui().State(), "frame.inSession")) return true;
    Sleep(100);
  }
  return w.Fail("the device session did not start");
}

bool StepOpenFree(Walk& w) {
  if (!OpenDevice(w, "PAD-FREE-1")) return false;
  Json::Value s;
  auto adShown = [](const Json::Value& st) { return Flag(st, "player.adPopup") || Flag(st, "player.frameReceived"); };
  if (!w.Ui().WaitForState(adShown, 5000, &s)) return w.Fail("neither the ad countdown nor video appeared");
  std::printf("       ad: %d s countdown on the player page\n", Number(s, "player.adTime"));
  return Screenshot(w, "ad");
}

bool StepPlaying(Walk& w) {
  Json::Value s;
  int adTime = Number(w.Ui().State(), "player.adTime");
  auto video = [](const Json::Value& st) {
    return Flag(st, "player.frameReceived") && Number(st, "player.playerTab") == 1 && Number(st, "player.framesShown") > 0;
  };
  // The countdown popup's figures as they change, until the video replaces the ad.
  std::string countdown, lastFigure;
  long long deadline = MonotonicMs() + (adTime + 20) * 1000LL;
  for (s = w.Ui().State(); !video(s); s = w.Ui().State()) {
    if (MonotonicMs() > deadline || !w.Ui().IsConnected()) return w.Fail("no video after the ad");
    std::string figure = FindControl(w.Ui().Tree(), "Label_playadTime")["text"].asString();
    if (!figure.empty() && figure != lastFigure) countdown += " " + figure;
    lastFigure = figure;
    Sleep(200);
  }
  if (!countdown.empty()) std::printf("       countdown:%s\n", countdown.c_str());
  int width = Number(s, "player.width"), height = Number(s, "player.height");
  // The client reports the stream's coded size, in whole 16-pixel macroblocks: the
  // phone's 360 x 640 screen arrives as 368 x 640.
  if ((width != 360 && width != 368) || height != 640)
    return w.Fail("picture " + std::to_string(width) + " x " + std::to_string(height) + ", expected 360 x 640");
  Json::Value target;
  if (!w.Ui().WaitForControl("PadPlayingVedioShow", 5000, &target)) return w.Fail("no PadPlayingVedioShow");
  int tw = 0, th = 0;
  ControlRect(target, w.picX, w.picY, tw, th);
  std::printf("       video %d x %d (the phone's 360 x 640 screen), %d frames shown\n", width, height,
              Number(s, "player.framesShown"));
  Sleep(500);
  return Screenshot(w, "playing");
}

// Red pixels (the phone's pointer disc) within a few pixels of (x, y) of a screenshot.
int RedPixelsNear(const std::string& path, int x, int y) {
  QImage image(QString::fromStdString(path));
  int count = 0;
  for (int dy = -4; dy <= 4; ++dy)
    for (int dx = -4; dx <= 4; ++dx) {
      if (!image.valid(x + dx, y + dy)) continue;
      QColor c = image.pixelColor(x + dx, y + dy);
      if (c.red() >= 200 && c.green() <= 70 && c.blue() <= 70) ++count;
    }
  return count;
}

bool StepClickPicture(Walk& w) {
  const int px = 120, py = 220;  // picture coordinates, clear of the phone's info panel
  const int x = w.picX + px, y = w.picY + py;
  std::string error;
  if (!w.Ui().Mouse(x, y, "down", error, w.mainWindow) || !w.Ui().Mouse(x, y, "up", error, w.mainWindow))
    return w.Fail("mouse: " + error);
  for (int attempt = 0; attempt < 25; ++attempt) {
    Sleep(200);
    std::string shot = w.options.outDir + "/.probe.png";
    if (!w.Ui().Screenshot(shot, error, w.mainWindow)) return w.Fail("screenshot: " + error);
    if (RedPixelsNear(shot, x, y) >= 40) {
      std::filesystem::remove(shot);
      std::printf("       red dot at picture point %d,%d (window %d,%d)\n", px, py, x, y);
      return Screenshot(w, "dot");
    }
  }
  return w.Fail("no red dot at window point " + std::to_string(x) + "," + std::to_string(y) + " within 5 s");
}

// The key messages of the node log in order, as "TYPE:code".
std::vector<std::string> KeyMessages(Walk& w) {
  std::vector<std::string> keys;
  for (const Json::Value& m : w.harness.Sim().NodeLog()) {
    std::string type = m["type"].asString();
    if (type == "CTRL_KEY_DOWN" || type == "CTRL_KEY_UP") keys.push_back(type + ":" + m["keyCode"].asString());
  }
  return keys;
}

bool StepBack(Walk& w) {
  w.harness.Sim().Admin("control/log/clear");
  if (!ClickControl(w, "Button_Back")) return false;
  const std::vector<std::string> wanted = {"CTRL_KEY_DOWN:158", "CTRL_KEY_UP:158"};
  std::vector<std::string> keys;
  for (int attempt = 0; attempt < 30 && keys.size() < 2; ++attempt) {
    Sleep(100);
    keys = KeyMessages(w);
  }
  if (keys != wanted) {
    std::string seen;
    for (const auto& k : keys) seen += " " + k;
    return w.Fail("node log keys:" + (seen.empty() ? std::string(" none") : seen));
  }
  std::printf("       node log: CTRL_KEY_DOWN 158, CTRL_KEY_UP 158\n");
  return true;
}

bool NodeGotQuality(Walk& w, int wire) {
  for (const Json::Value& m : w.harness.Sim().NodeLog())
    if (m["type"].asString() == "CTRL_QUALITY" && m["quality"].asInt() == wire) return true;
  return false;
}

bool StepQuality(Walk& w) {
  w.harness.Sim().Admin("control/log/clear");
  if (!ClickControl(w, "Button_More")) return false;
  if (!w.Ui().WaitForControl("Setting_Fast", 5000)) return w.Fail("the quality menu did not open");
  if (!ClickControl(w, "Setting_Fast")) return false;
  bool sent = false;
  for (int attempt = 0; attempt < 30 && !sent; ++attempt) {
    Sleep(100);
    sent = NodeGotQuality(w, 3);
  }
  if (!sent) return w.Fail("the node got no CTRL_QUALITY 3 (Fast)");
  if (Number(w.Ui().State(), "model.qualityLevel") != 2) return w.Fail("qualityLevel is not 2");
  std::printf("       node log: CTRL_QUALITY 3 (Fast)\n");
  if (!Screenshot(w, "quality")) return false;
  return ClickControl(w, "Button_More");
}

// Button_MainMenu ignores a press within 2 s of the previous one.
bool PressMainMenu(Walk& w) {
  long long since = MonotonicMs() - w.lastMainMenuMs;
  if (w.lastMainMenuMs && since < 2300) Sleep(static_cast<int>(2300 - since));
  if (!ClickControl(w, "Button_MainMenu")) return false;
  w.lastMainMenuMs = MonotonicMs();
  return WaitState(w, "the device list after the main menu", 10000,
                   [](const Json::Value& s) { return !Flag(s, "frame.inSession") && LoggedInOnDeviceList(s); });
}

bool StepBusy(Walk& w) {
  if (!OpenDevice(w, "PAD-BUSY-1")) return false;
  Json::Value s;
  auto waiting = [](const Json::Value& st) { return Number(st, "frame.loginTab") == 3 && Number(st, "waiting.count") > 0; };
  if (!w.Ui().WaitForState(waiting, 10000, &s)) return w.Fail("the waiting page did not show a queue");
  if (!Screenshot(w, "waiting")) return false;
  // The node's queue shrinks once a second until the stream starts.
  std::string queue;
  int lastCount = -1;
  long long deadline = MonotonicMs() + 15000;
  for (; Number(s, "frame.loginTab") == 3 && MonotonicMs() < deadline; s = w.Ui().State()) {
    int count = Number(s, "waiting.count");
    if (count != lastCount)
      queue += " " + std::to_string(count) + " ahead (" + std::to_string(Number(s, "waiting.time")) + " min, " +
               std::to_string(Number(s, "waiting.progress")) + "%)";
    lastCount = count;
    Sleep(100);
  }
  std::printf("       queue:%s\n", queue.c_str());
  if (Number(s, "frame.loginTab") != 2) return w.Fail("the player page did not follow the queue");
  std::printf("       then the stream started: the player page\n");
  return true;
}

bool StepFinalLogOut(Walk& w) {
  if (!StepLogOut(w)) return false;
  return Screenshot(w, "logged-out");
}

void CopyToDocs(const Walk& w) {
  if (w.options.docsDir.empty()) return;
  std::error_code ignored;
  for (const char* name : {"login", "devices", "playing"}) {
    auto it = w.shots.find(name);
    if (it == w.shots.end()) continue;
    std::filesystem::copy_file(it->second, w.options.docsDir + "/screenshot-" + name + ".png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
  }
}

int RunWalk(Walk& w) {
  const std::vector<std::pair<const char*, std::function<bool(Walk&)>>> steps = {
      {"start zelvane-sim (demo scenario) and the client, offscreen", StepStart},
      {"log in as demo / 123456, remember password", StepTypedLogin},
      {"device list: tiles and texts", StepDeviceList},
      {"log out", StepLogOut},
      {"log in again with the remembered password", StepRememberedLogin},
      {"open the free device through its ad", StepOpenFree},
      {"play it: frames arrive, picture 360 x 640", StepPlaying},
      {"click on the picture: the phone draws its red dot", StepClickPicture},
      {"press Back: the node gets key 158 down and up", StepBack},
      {"change the quality to Fast", StepQuality},
      {"return to the device list with the main menu", PressMainMenu},
      {"open the busy device: the waiting page shows the queue", StepBusy},
      {"return to the device list", PressMainMenu},
      {"log out", StepFinalLogOut},
  };
  for (const auto& [title, step] : steps) {
    long long started = MonotonicMs();
    bool ok = step(w);
    long long took = MonotonicMs() - started;
    if (!ok) {
      std::printf("[FAIL] %s: %s\n", title, w.why.c_str());
      std::string log = w.harness.ClientLog();
      if (!log.empty()) std::printf("------ client output (last lines)\n%s\n", log.c_str());
      std::fflush(stdout);
      return 1;
    }
    std::printf("[ok] %s (%lld ms)\n", title, took);
    std::fflush(stdout);
  }
  CopyToDocs(w);
  std::printf("every step succeeded; screenshots in %s\n", w.options.outDir.c_str());
  return 0;
}

int RunInteractive(Walk& w) {
  std::string error;
  Json::Value scenario = DemoScenario(true, error);
  if (!scenario.isNull() && w.options.adTime >= 0) SetAdTime(scenario, w.options.adTime);
  if (scenario.isNull() || !w.harness.Start(scenario, error, false)) {
    std::fprintf(stderr, "demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("zelvane-sim runs on 127.0.0.1 (account %d, control %d, stream %d).\n"
              "Log in as demo / 123456. Closing the window ends the demo.\n",
              w.harness.Sim().Port("account"), w.harness.Sim().Port("control"), w.harness.Sim().Port("rtmp"));
  std::fflush(stdout);
  int status = 0;
  while (!w.harness.Client().WaitExit(1000, &status)) {
    if (!w.harness.Sim().IsRunning()) {
      std::fprintf(stderr, "demo: zelvane-sim ended unexpectedly\n");
      return 1;
    }
  }
  w.harness.Stop();
  return 0;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--out" && hasValue) o.outDir = argv[++i];
    else if (a == "--docs" && hasValue) o.docsDir = argv[++i];
    else if (a == "--ad-time" && hasValue) o.adTime = std::atoi(argv[++i]);
    else if (a == "--interactive") o.interactive = true;
    else return false;
  }
  if (o.outDir.empty()) o.outDir = BinaryDir() + "/demo";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Walk walk;
  if (!ParseOptions(argc, argv, walk.options)) {
    std::fprintf(stderr, "usage: demo_walk [--out DIR] [--docs DIR] [--ad-time SECONDS] [--interactive]\n");
    return 2;
  }
  if (walk.options.interactive) return RunInteractive(walk);
  std::error_code ignored;
  std::filesystem::create_directories(walk.options.outDir, ignored);
  for (const auto& entry : std::filesystem::directory_iterator(walk.options.outDir, ignored))
    if (entry.path().extension() == ".png") std::filesystem::remove(entry.path(), ignored);
  return RunWalk(walk);
}
