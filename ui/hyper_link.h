// The link opener the pages keep one of per link: the desktop's "open" first, the
// registered browser when that fails, and the framework's box when both fail.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zv {

// What opening needs from the desktop; the defaults are the real shell, the desktop's
// registered web handler, a detached program start, the warning beep and the box.
struct HyperLinkDesktop {
  std::function<int(const std::wstring& url, int showCommand)> shellOpen;
  // The registered browser's command line as its desktop entry writes it; empty for none.
  std::function<std::wstring()> browserCommand;
  // Starts argv[0] with the rest as its arguments; answers a shell result code.
  std::function<int(const std::vector<std::wstring>& argv)> launch;
  std::function<void()> beep;
  std::function<void(const std::wstring& text)> showError;
};

HyperLinkDesktop DefaultHyperLinkDesktop();

// The text of the error box for a shell result code.
std::wstring HyperLinkErrorText(int result);
// The browser command cut at its URL placeholder and split into words, with url appended
// as one word of its own; empty when the command has no program.
std::vector<std::wstring> BrowserArgv(const std::wstring& command, const std::wstring& url);
// Splits a desktop-entry command line: double quotes group, a backslash escapes inside them.
std::vector<std::wstring> SplitCommandLine(const std::wstring& command);

class CHyperLink {
 public:
  enum : int { kShowNormal = 5 };
  CHyperLink();
  explicit CHyperLink(HyperLinkDesktop desktop);

  void SetURL(const std::wstring& url) { m_url = url; }
  const std::wstring& GetURL() const { return m_url; }
  bool IsVisited() const { return m_visited; }
  int GetLastResult() const { return m_lastResult; }
  // Opens the URL; true on success. A failure beeps, beeps again and shows the box.
  bool Open();

 private:
  int OpenWithBrowser();

  HyperLinkDesktop m_desktop;
  std::wstring m_url;
  bool m_visited = false;
  int m_lastResult = 0;
};

}  // namespace zv
