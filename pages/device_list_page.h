// The device list of the account area: the account's devices four at a time with paging,
// a status image per tile, and below the tiles the quality choice or the details of the
// selected device, from where a device is opened.
#pragma once

#include <array>
#include <string>

#include "api/app_context.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_container.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CPaintManagerUI;
class CTabLayoutUI;
}  // namespace DuiLib

namespace zv::pages {

struct DeviceSlot {
  int32_t used = 0;
  DuiLib::COptionUI* tile = nullptr;
  DuiLib::COptionUI* statusArea = nullptr;
  DuiLib::CLabelUI* statusLabel = nullptr;
  PadInfo pad;
};

class CServiceStatusUI : public DuiLib::CContainerUI, public zv::ui::IDeviceListPage {
 public:
  static constexpr int kSlotCount = 4;

  CServiceStatusUI(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
  ~CServiceStatusUI() override;

  void Reset() override;
  void Refresh() override;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;

  void FillSlots();
  void DrawSlots();
  void UpdateArrows();
  void SelectSlot(int index);
  void ShowDetails();
  void ShowQualityPanel();
  void OpenDevice(int slot, DuiLib::HWND mainWnd);

  int PageIndex() const { return m_pageIndex; }
  int PageCount() const { return m_pageCount; }
  int Selected() const { return m_selected; }
  const DeviceSlot& Slot(int index) const { return m_slots[static_cast<size_t>(index)]; }

 private:
  template <class T>
  T* Find(const wchar_t* name);
  void BindSlots();
  void DrawSlot(int index, DeviceSlot& slot);
  bool HandleSlotClick(const std::wstring& sender);
  void HandleQualityClick(const std::wstring& sender);
  void HandleDoubleClick(const std::wstring& sender, DuiLib::HWND mainWnd);
  void SendShortcut(uint32_t subCode);
  // The selected slot when it shows a device with a pad code, else null.
  const DeviceSlot* SelectedDevice() const;
  // Steps shared by the tile and the Button_ListItem path: the player page and the connect.
  void ConnectDevice(const std::string& padCode, DuiLib::HWND mainWnd);
  DuiLib::LRESULT PageCommand(uint32_t subCode, DuiLib::LPARAM lParam = 0);
  DuiLib::HWND BoxOwner(DuiLib::HWND mainWnd) const;
  void RegisterAutomation();

  DuiLib::CPaintManagerUI& m_pm;
  std::array<DeviceSlot, kSlotCount> m_slots{};
  int m_pageIndex = 0;
  int m_pageCount = 0;
  int m_selected = -1;
};

// Image and text rules of the device list, kept apart from the controls.
namespace device_rules {
// Status image of a used slot by padStatus, recoveryStatus and leftControlTime; empty
// when none is set.
std::wstring StatusImage(const PadInfo& pad);
// Status text of the details.
std::wstring StatusText(const PadInfo& pad);
int PageCountFor(size_t padCount);
}  // namespace device_rules

}  // namespace zv::pages
