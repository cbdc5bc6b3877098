// The printers the Windows spooler knows and the user's default one. Names are GBK.
#pragma once

#include <string>
#include <vector>

// Local printers and connections to other servers, in the spooler's order. False when the list
// cannot be had; names is then empty.
bool EnumPrinterNames(std::vector<std::string>& names);

// True when an installed printer has exactly this name (letter case included).
bool FindPrinter(const std::string& name);

// The printer of the user profile's [windows] device entry ("name,driver,port"); empty when the
// entry names none.
std::string DefaultPrinterName();

// The first field of a profile entry split at commas, empty fields skipped: the printer name of
// "name,driver,port"; empty for ",,," or "".
std::string FirstProfileField(const std::string& entry);
