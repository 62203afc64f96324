#include "app/startup/version_check.h"

namespace zv {

bool IsNewerVersion(const std::string& newest, const std::string& current) {
  // std::string compares as unsigned bytes through char_traits<char>::compare (memcmp).
  return newest.compare(current) > 0;
}

}  // namespace zv
