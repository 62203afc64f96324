#include "api/notice_lock.h"

namespace zv {

std::mutex& NoticeListMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace zv
