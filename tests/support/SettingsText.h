// A settings record as text, for comparing two records with a readable difference.
#pragma once

#include "settings/Settings.h"

#include <string>

// All stored fields, by their keys in the file.
std::string Describe(const Settings& s);
