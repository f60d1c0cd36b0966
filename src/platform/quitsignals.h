#pragma once

namespace kz {

// Ends the program cleanly on SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, Ctrl+C),
// at any moment. The signal is only noted by the handler; the event loop picks it up, so
// the program never stops in the middle of writing a file. From the main loop the
// program leaves exec() with status 128 + the signal number and unwinds normally; from
// a nested wait (a message box, a retry wait) it ends at once with that status, so no
// waiting attempt is recorded afterwards. Call once, after the application object exists.
void installQuitSignalHandlers();

} // namespace kz
