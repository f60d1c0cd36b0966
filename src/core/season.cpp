#include "core/season.h"

namespace kz {

Rgb seasonColour(int month) {
    switch (month) {
    case 1:
    case 2:
        return {255, 128, 0};
    case 6:
    case 7:
    case 8:
        return {0, 192, 192};
    case 9:
    case 10:
    case 11:
        return {192, 64, 0};
    default: // 3 to 5 and 12
        return {192, 255, 192};
    }
}

} // namespace kz
