#include "tests/pages_player/player_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

#include "app/events.h"
#include "pages/page_factory.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window_host.h"

namespace zv::test {

namespace {

int g_argc = 1;
char g_arg0[] = "pages_player_tests";
char* g_argv[] = {g_arg0, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    m_app = new QApplication(g_argc, g_argv);
    const char* src = std::getenv("ZELVANE_SOURCE_DIR");
    std::string base = src ? src : ".";
    DuiLib::CPaintManagerUI::SetResourcePath(QString::fromStdString(base + "/skin/resource/").toStdWString());
  }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The main skin's fonts, as the pages' layouts expect them.
constexpr const wchar_t* kFonts =
    L"<Font id='0' name='WenQuanYi Micro Hei' size='13' default='true'/>"
    L"<Font id='1' name='WenQuanYi Micro Hei' size='12'/>"
    L"<Font id='2' name='WenQuanYi Micro Hei' size='16' bold='true'/>"
    L"<Font id='3' name='WenQuanYi Micro Hei' size='22' bold='true'/>"
    L"<Font id='4' name='WenQuanYi Micro Hei' size='28' bold='true'/>";

}  // namespace

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeoutMs) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

CPageHost::CPageHost(std::wstring pageClass) : m_pageClass(std::move(pageClass)) {}

CPageHost::~CPageHost() {
  if (DuiLib::IsWindow(m_hWnd)) DestroyWindow();
}

std::wstring CPageHost::GetSkinFile() {
  return L"<Window size='1000,720'>" + std::wstring(kFonts) +
         L"<Container name='root' bkcolor='#FFF3F5F9'>"
         L"<" +
         m_pageClass + L" float='true' pos='16,50,976,710'/>" + extraXml + L"</Container></Window>";
}

void CPageHost::Open() {
  Create(nullptr, L"PageHost", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
  PumpUntil([this] { return initialised; });
  m_PaintManager.UpdateLayout();
}

QImage CPageHost::Grab() {
  m_PaintManager.UpdateLayout();
  return m_hWnd->grab().toImage();
}

void CPageHost::Mouse(QEvent::Type type, int x, int y) {
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  QPointF p(x, y);
  QMouseEvent e(type, p, m_hWnd->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(m_hWnd, &e);
}

void CPageHost::Notify(DuiLib::TNotifyUI& msg) {
  if (msg.sType == L"windowinit") initialised = true;
}

DuiLib::CControlUI* CPageHost::CreateControl(const wchar_t* cls) {
  std::wstring name = cls ? cls : L"";
  if (factory) {
    if (DuiLib::CControlUI* c = factory(name)) return c;
  }
  DuiLib::CControlUI* page = zv::pages::PageFactory().CreatePage(name, m_PaintManager);
  if (!page) return nullptr;
  if (name == L"ShowPlayerWindow") player = dynamic_cast<zv::pages::CShowPlayerUI*>(page);
  if (name == L"WaitingPageWindow") waiting = dynamic_cast<zv::pages::CWaitingPageUI*>(page);
  return page;
}

DuiLib::LRESULT CPageHost::HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) {
  if (msg == DuiLib::WM_TIMER && wParam == TIMER_AD_COUNTDOWN) {
    ++adTicks;
    if (player) player->OnAdTick(m_hWnd);
  }
  if (msg > DuiLib::WM_USER) events.push_back(msg);
  return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

void CPageHost::OnFinalMessage(DuiLib::HWND) {
  // The test owns the object; the tree goes with the window.
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
}

CTestPicture::CTestPicture(int width, int height)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height * 4, 0) {
  m_frame.pixels = m_pixels.data();
  m_frame.size = static_cast<int32_t>(m_pixels.size());
  m_frame.width = width;
  m_frame.height = height;
}

void CTestPicture::Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* p = m_pixels.data() + (static_cast<size_t>(m_height - 1 - y) * m_width + x) * 4;
  p[0] = b;
  p[1] = g;
  p[2] = r;
  p[3] = 0xFF;
}

void CTestPicture::Fill(uint8_t r, uint8_t g, uint8_t b) {
  for (int y = 0; y < m_height; ++y)
    for (int x = 0; x < m_width; ++x) Set(x, y, r, g, b);
}

QColor CTestPicture::CoordinateColor(int x, int y) {
  return QColor(x & 0xFF, y & 0xFF, ((x >> 8) & 0x0F) | (((y >> 8) & 0x0F) << 4));
}

void CTestPicture::FillWithCoordinates() {
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      QColor c = CoordinateColor(x, y);
      Set(x, y, static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
          static_cast<uint8_t>(c.blue()));
    }
  }
}

// The simulated phone's disc: the pixels whose centres lie within diameter/2 of the
// pixel corner (cx, cy).
void CTestPicture::Disc(int cx, int cy, int diameter, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = std::max(0, cy - diameter); y < std::min(m_height, cy + diameter); ++y) {
    for (int x = std::max(0, cx - diameter); x < std::min(m_width, cx + diameter); ++x) {
      const int dx = 2 * x + 1 - 2 * cx;
      const int dy = 2 * y + 1 - 2 * cy;
      if (dx * dx + dy * dy <= diameter * diameter) Set(x, y, r, g, b);
    }
  }
}

}  // namespace zv::test
