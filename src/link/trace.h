// Diagnostic texts of the SDK: one UDP datagram per text to 127.0.0.1:1030
// (any trace viewer listening there shows them), optionally echoed to stderr.
#pragma once

namespace orvex {

// printf-style; the text is cut at 511 bytes. Fire and forget.
void trace(const char *format, ...) __attribute__((format(printf, 1, 2)));

void setTraceEcho(bool on);

// Sends the transports' diagnostics (vendor libraries) here too, one line
// each. Idempotent.
void routeTransportDiagnostics();

}  // namespace orvex
