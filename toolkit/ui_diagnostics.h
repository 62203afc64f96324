// Where the toolkit reports skin problems (missing images, unknown attributes, broken
// files). Standard error by default; tests install their own sink.
#pragma once

#include <functional>
#include <string>

namespace DuiLib {

using DiagnosticSink = std::function<void(const std::string&)>;

// Returns the previous sink; an empty sink restores standard error.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);
void ReportDiagnostic(const std::string& text);

}  // namespace DuiLib
