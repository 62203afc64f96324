#include "toolkit/ui_diagnostics.h"

#include <cstdio>
#include <mutex>

namespace DuiLib {

namespace {
std::mutex g_mutex;
DiagnosticSink g_sink;
}  // namespace

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  DiagnosticSink old = std::move(g_sink);
  g_sink = std::move(sink);
  return old;
}

void ReportDiagnostic(const std::string& text) {
  DiagnosticSink sink;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    sink = g_sink;
  }
  if (sink) sink(text);
  else std::fprintf(stderr, "toolkit: %s\n", text.c_str());
}

}  // namespace DuiLib
