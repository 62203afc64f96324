// The notice lock: guards CAppContext::noticeList, which the notice worker refills and
// the window thread marks read.
#pragma once

#include <mutex>

namespace zv {

std::mutex& NoticeListMutex();

}  // namespace zv
