// The ports and baud rates the setup form offers. Built once at start-up and shared by the
// whole process, so every form that names a port offers the same choices in the same order.
#pragma once

#include <string>
#include <vector>

extern const std::vector<std::string> scalePortList; // COM1..COM12
extern const std::vector<std::string> printerPortList; // USB, COM1..COM6, LPT1
extern const std::vector<std::string> baudRateList; // as decimal text
