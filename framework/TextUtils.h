// Text helpers shared by the pages. All texts are GBK; lengths and positions count bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Cuts text into fields at sep. Separators are matched left to right without overlap, and only
// at GBK character boundaries. Leading and inner empty fields are kept; one empty field after a
// final separator is dropped, so "a,b," gives two fields. An empty text gives one empty field.
// The field count is the size of the result. An empty separator yields the whole text as one
// field (it would match everywhere).
std::vector<std::string> SplitText(const std::string& text, const std::string& sep);

// The program's own file version, "major.minor.build.revision", each field in full.
std::string GetFileVersionText();
std::string FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS);
