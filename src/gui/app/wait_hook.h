// Keeps the windows painted while a reader command waits for its answer.
// The SDK calls the hook about every 15 ms from inside the wait; the hook lets
// Qt handle paint and other non-input events, never user input, so nothing can
// start a second reader command meanwhile.
#pragma once

namespace orvex::gui {

void installReaderWaitHook();
void removeReaderWaitHook();

// True while the hook is running; timer handlers that talk to the reader
// skip their tick then, because the SDK must not be re-entered from the hook.
bool insideReaderWait();

}  // namespace orvex::gui
