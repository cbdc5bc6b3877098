// What the library takes from Windows besides its ports: the settings file, the clock, the run
// log folder and bitmap files.
#pragma once

#include "drivers/pos_ad/core/Bytes.h"
#include "drivers/pos_ad/core/Config.h"
#include "drivers/pos_ad/core/Image.h"
#include "drivers/pos_ad/core/RunLogLine.h"

#include <string>

namespace platform {

PosAdConfig LoadConfig();
runlog::Stamp Now();
// Appends to today's run log, making the folder when needed. Failures are ignored: the log must
// never turn a call into a failure.
void AppendRunLog(const runlog::Stamp& when, const std::string& line);
// A BMP file to pixels; files past image::kMaxFileBytes are refused, and the BMP kinds stb_image
// does not read go to the system's own decoder (LoadImage, GetDIBits).
bool DecodeBitmapFile(const char* path, image::Rgba& out, std::string& error);
// The system's decoder alone.
bool DecodeWithSystem(const char* path, image::Rgba& out, std::string& error);

} // namespace platform
