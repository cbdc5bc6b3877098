// How the library's work went, and what the fifteen calls return for it. The program tests only
// the scale calls (240) and the low byte of the drawer state (0 = open); the other values tell the
// run log and a caller why.
#pragma once

// Why a piece of work was not done; None when it was.
enum class Fault { None, BadInput, NoPort, Stalled, NoAnswer, BadAnswer, BadFile, Refused, Internal };

namespace result {

// What the print, cut, drawer and close calls return for a fault, and what the scale calls do.
// The print calls' failures all have a low byte other than 0, so none reads as an open drawer.
struct Codes {
    int print;
    int scale;
};
constexpr Codes For(Fault fault)
{
    switch (fault) {
    case Fault::None: return {1, 240};
    case Fault::BadInput: return {-1, 5}; // an argument that cannot be used (scale: no record buffer)
    case Fault::NoPort: return {-2, 4}; // port unknown, missing or busy
    case Fault::Stalled: return {-3, 2}; // the device stopped taking bytes, or the line failed
    case Fault::NoAnswer: return {-4, 2}; // no answer in time
    case Fault::BadAnswer: return {-4, 3}; // answers, but none that makes sense
    case Fault::BadFile: return {-5, 5}; // the file cannot be read or is no usable BMP
    case Fault::Refused: return {-6, 1}; // the board answered that it did not do it
    case Fault::Internal: break; // out of memory, or a fault of the library's own
    }
    return {-1, -1};
}

// GetCashDrawerStatus when it could read the state; otherwise a print call's failure.
constexpr int kDrawerOpen = 0;
constexpr int kDrawerClosed = 1;

} // namespace result
