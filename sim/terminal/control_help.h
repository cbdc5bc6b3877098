// The control commands in one screen, for zantor-simctl --help and the
// socket's own help command.
#pragma once

namespace zsim::term {

inline constexpr char kControlHelp[] =
    "  ping | state | help | shutdown\n"
    "  weight KG | tare KG | zero | stable on|off | overload on|off | not-zeroed on|off\n"
    "  unit kg|g|lb | scale-rate N\n"
    "  profile settle KG [MS] | profile steps MS:KG[:s|u] ... | profile stop\n"
    "  drawer open|close | drawer-time MS\n"
    "  paper out|near-end|in | cover open|closed\n"
    "  receipts [N] | wait-receipt [TIMEOUT_MS [AFTER_JOB]]\n"
    "  driver-job DIR   (the Windows printer queue hands over a rendered job)\n";

}  // namespace zsim::term
