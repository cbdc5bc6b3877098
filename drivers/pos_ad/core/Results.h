// How the library's work went, and what the fifteen calls return for it. The program tests only
// the scale calls (240) and the low byte of the drawer state (0 = open); the other values tell the
// run log and a caller why.
#pragma once

#include <cstddef>
#include <iterator>

// Why a piece of work was not done; None when it was.
enum class Fault { None, BadInput, NoPort, Stalled, NoAnswer, BadAnswer, BadFile, Refused, Internal };

namespace result {

// What the print, cut, drawer and close calls return for a fault, and what the scale calls do.
// The print calls' failures all have a low byte other than 0, so none reads as an open drawer.
struct Codes {
    Fault fault;
    int print;
    int scale;
};
constexpr Codes kCodes[] = {
    {Fault::None, 1, 240}, {Fault::BadInput, -1, 5}, // an argument that cannot be used (scale: no record buffer)
    {Fault::NoPort, -2, 4}, // port unknown, missing or busy
    {Fault::Stalled, -3, 2}, // the device stopped taking bytes, or the line failed
    {Fault::NoAnswer, -4, 2}, // no answer in time
    {Fault::BadAnswer, -4, 3}, // answers, but none that makes sense
    {Fault::BadFile, -5, 5}, // the file cannot be read or is no usable BMP
    {Fault::Refused, -6, 1}, // the board answered that it did not do it
    {Fault::Internal, -1, -1}, // out of memory, or a fault of the library's own
};

constexpr bool InFaultOrder()
{
    for (size_t i = 0; i < std::size(kCodes); ++i) {
        if (static_cast<size_t>(kCodes[i].fault) != i)
            return false;
    }
    return std::size(kCodes) == static_cast<size_t>(Fault::Internal) + 1;
}
static_assert(InFaultOrder(), "one row per fault, in the enum's order");

constexpr const Codes& For(Fault fault)
{
    return kCodes[static_cast<size_t>(fault)];
}

// GetCashDrawerStatus when it could read the state; otherwise a print call's failure.
constexpr int kDrawerOpen = 0;
constexpr int kDrawerClosed = 1;

} // namespace result
