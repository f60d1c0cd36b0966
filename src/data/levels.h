#pragma once

// How levels are numbered in every table, file and screen.
namespace kz {

// The catalogue's levels 1..25; the last of them is the final level.
inline constexpr int kLevelCount = 25;
// Tables indexed by level have slots 0..35: slot 0 is unused (or a header), levels
// 26..35 are spare slots that the files may fill and the statistics count.
inline constexpr int kLevelSlots = 36;
// The highest level number a table or a record may hold.
inline constexpr int kLastSlotLevel = kLevelSlots - 1;

} // namespace kz
