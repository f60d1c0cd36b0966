#pragma once

#include "core/runstate.h"

namespace kz {

// Background colour of the name screen and the level menu for a month 1..12:
// January-February 255,128,0; March-May 192,255,192; June-August 0,192,192;
// September-November 192,64,0; December 192,255,192. Any other month gives the spring colour.
Rgb seasonColour(int month);

} // namespace kz
