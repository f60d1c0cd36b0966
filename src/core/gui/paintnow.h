#pragma once

namespace kz {

// Makes the screen show its new state before the program blocks (a synchronous cue, a
// read of the results file, a lock wait, a pause): widgets that changed are painted,
// windows just shown are mapped and painted, and the window system has received all of
// it when this returns. No user input is delivered (keys and clicks stay queued for
// after the blocking step) and no timer fires, so nothing runs ahead of the caller.
void paintNow();

} // namespace kz
