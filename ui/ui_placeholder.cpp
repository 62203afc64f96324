// The library's sources are listed in CMakeLists.txt; this file keeps it non-empty.
namespace zv {
int ZvUiLibraryAnchor() { return 0; }
}  // namespace zv
