// CChildPage: every popup of the client (waiting overlay, phone binding, notice viewer,
// ad countdown) is one of these, a child window built from its own skin file and laid
// over the page it belongs to. Its creator owns it (see Dispose).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/ui_base.h"
#include "toolkit/window_impl_base.h"

namespace zv::ui {

class CChildPage : public DuiLib::WindowImplBase {
 public:
  explicit CChildPage(DuiLib::HWND parent);
  ~CChildPage() override;

  void SetSkinFolder(const std::wstring& folder) { m_skinFolder = folder; }
  void SetSkinFile(const std::wstring& file) { m_skinFile = file; }
  const std::wstring& SkinFile() const { return m_skinFile; }

  // Create (child + visible + clip siblings + clip children), move onto rc of the
  // parent's client area, show with the focus. rc empty: the skin's size at rc's corner.
  bool CreateOver(const wchar_t* windowName, const DuiLib::RECT& rc);

  int IsClosed() const { return m_closed; }
  void ClosePopup();
  // Ad countdown: the text of Label_playadTime ("ShowPlayAdTime.xml" only).
  void SetAdTime(const std::wstring& text);
  int Countdown() const { return m_countdown; }
  // Next frame of the waiting animation, 0-based (frame n shows "Login_Gif\\0n+1.png").
  int AnimationFrame() const { return m_animationFrame; }
  int NoticeId() const { return m_noticeId; }
  void SetNoticeId(int id) { m_noticeId = id; }
  int SelectedItem() const { return m_selectedItem; }
  void SetSelectedItem(int item) { m_selectedItem = item; }
  // Notifications of skins this class does not handle itself (the notice viewer's).
  using NotifyHandler = std::function<void(CChildPage&, DuiLib::TNotifyUI&)>;
  void SetNotifyHandler(NotifyHandler handler) { m_notifyHandler = std::move(handler); }

  DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }

  // The owner's disposal: close when still open, delete, forget the pointer.
  template <class T>
  static void Dispose(T*& popup) {
    if (!popup) return;
    if (!popup->IsClosed()) popup->ClosePopup();
    delete popup;
    popup = nullptr;
  }

  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;
  DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override;

 protected:
  std::wstring GetSkinFolder() override { return m_skinFolder; }
  std::wstring GetSkinFile() override { return m_skinFile; }
  const wchar_t* GetWindowClassName() const override { return L"Zelvane_Child"; }
  const wchar_t* GetSuperClassName() const override { return L"WaitingLogin"; }
  void OnFinalMessage(DuiLib::HWND) override {}  // the owner deletes the object

 private:
  static constexpr int kAnimationFrames = 12;
  void OnBindMobileClick(const std::wstring& sender);
  void NextAnimationFrame();
  void CountdownTick();
  void RequestSmsCode();
  void BindPhone();
  std::wstring EditText(const wchar_t* name) const;
  void Box(const std::wstring& text);

  DuiLib::HWND m_parent = nullptr;
  std::wstring m_skinFile;
  std::wstring m_skinFolder;
  int m_noticeId = 0;
  int m_selectedItem = -1;
  int m_animationFrame = 0;
  int m_closed = 0;
  int m_countdown = 0;
  NotifyHandler m_notifyHandler;
  // Cleared by the destructor: a handler that ran a nested loop or sent an event checks
  // it before touching the object again.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace zv::ui
