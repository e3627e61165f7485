#include "transport/diagnostics.h"

#include <atomic>

namespace orvex {

namespace {
std::atomic<DiagnosticSink> currentSink{nullptr};
}  // namespace

void setDiagnosticSink(DiagnosticSink sink) { currentSink.store(sink); }

void diagnostic(const char *text) {
    if (DiagnosticSink sink = currentSink.load()) sink(text);
}

}  // namespace orvex
