#include "platform/win_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>

namespace zv {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::Get() { return g_app; }
CWinApp* AfxGetApp() { return g_app; }

int CWinApp::Run(int argc, char** argv) {
  m_argc = argc;
  if (!QApplication::instance()) m_qtApp = std::make_unique<QApplication>(m_argc, argv);
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(13);
  QApplication::setFont(font);
  QString exe = argc > 0 && argv && argv[0] ? QString::fromLocal8Bit(argv[0]) : QApplication::applicationFilePath();
  m_appName = QFileInfo(exe).completeBaseName().toStdWString();
  m_arguments.clear();
  for (int i = 1; i < argc; ++i) m_arguments.push_back(QString::fromLocal8Bit(argv[i]).toStdWString());
  InitInstance();
  int code = ExitInstance();
  m_qtApp.reset();
  return code;
}

int AfxMessageBox(const std::wstring& text, uint32_t type) {
  std::wstring caption = g_app && !g_app->GetAppName().empty() ? g_app->GetAppName() : L"ZelvanePlayer";
  return CMessageBoxService::Instance().Show(nullptr, text, caption, type);
}

}  // namespace zv
