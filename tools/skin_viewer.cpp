// Opens one skin file in a window, so a layout can be looked at and driven through the
// automation socket (ZELVANE_AUTOMATION) before its page exists. closebtn ends it.
#include <QFileInfo>
#include <cstdio>

#include "platform/win_app.h"
#include "toolkit/window_impl_base.h"

namespace {

class CViewerWindow : public DuiLib::WindowImplBase {
 public:
  explicit CViewerWindow(std::wstring file) : m_file(std::move(file)) {}
  void Notify(DuiLib::TNotifyUI& msg) override {
    std::printf("%ls %ls\n", msg.sType.c_str(), msg.pSender ? msg.pSender->GetName().c_str() : L"");
    std::fflush(stdout);
    if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"closebtn") Close(DuiLib::IDOK);
  }

 protected:
  std::wstring GetSkinFolder() override { return L""; }
  std::wstring GetSkinFile() override { return m_file; }
  const wchar_t* GetWindowClassName() const override { return L"SkinViewer"; }
  void OnFinalMessage(DuiLib::HWND) override {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
  }

 private:
  std::wstring m_file;
};

class CViewerApp : public zv::CWinApp {
 public:
  bool InitInstance() override {
    if (GetArguments().empty()) {
      std::fprintf(stderr, "usage: skin_viewer <skin.xml>\n");
      m_code = 2;
      return false;
    }
    QFileInfo skin(QString::fromStdWString(GetArguments()[0]));
    DuiLib::CPaintManagerUI::SetResourcePath(skin.absolutePath().toStdWString());
    CViewerWindow window(skin.fileName().toStdWString());
    if (!window.Create(nullptr, L"SkinViewer", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0)) {
      m_code = 1;
      return false;
    }
    window.CenterWindow();
    window.ShowModal();
    return true;
  }
  int ExitInstance() override { return m_code; }

 private:
  int m_code = 0;
};

}  // namespace

int main(int argc, char** argv) {
  CViewerApp app;
  return app.Run(argc, argv);
}
