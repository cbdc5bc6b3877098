// What the fifteen calls return. The program tests only the scale calls (240) and the low byte
// of the drawer state (0 = open); the other values tell the run log and a caller why.
#pragma once

namespace result {

// Print, cut, drawer and close calls.
constexpr int kDone = 1;
constexpr int kBadInput = -1; // an argument that cannot be printed
constexpr int kNoPort = -2; // port unknown, missing or busy
constexpr int kStalled = -3; // the device stopped taking bytes, or the line failed
constexpr int kNoAnswer = -4; // no or no sensible answer in time
constexpr int kBadFile = -5; // the file cannot be read or is no usable BMP
constexpr int kRefused = -6; // the board answered that it did not do it

// GetCashDrawerStatus besides the failures above (whose low bytes are never 0).
constexpr int kDrawerOpen = 0;
constexpr int kDrawerClosed = 1;

// Scale calls.
constexpr int kScaleOk = 240;
constexpr int kScaleRefused = 1;
constexpr int kScaleNoAnswer = 2;
constexpr int kScaleBadAnswer = 3;
constexpr int kScaleNoPort = 4;
constexpr int kScaleBadArgument = 5;

} // namespace result
