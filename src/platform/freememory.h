#pragma once

namespace kz {

// Gives memory that the program has freed back to the system. The C library keeps what
// a screen freed for later use, scattered between what is still in use; a classroom
// computer that goes from the name screen to the level menu and back all day would hold
// the most any hand-over ever needed plus that scattering. Takes a few milliseconds.
void returnFreedMemory();

} // namespace kz
