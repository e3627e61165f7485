// Diagnostic texts of the transports (a vendor library that cannot be loaded
// or lacks a function). The transports know nothing of the SDK's trace
// channel; the link routes this sink there.
#pragma once

namespace orvex {

using DiagnosticSink = void (*)(const char *text);

// Replaces the sink; nullptr drops the texts.
void setDiagnosticSink(DiagnosticSink sink);

// One text, without line end.
void diagnostic(const char *text);

}  // namespace orvex
