// What the library takes from Windows besides its ports: the settings file, the clock, the run
// log folder and bitmap files.
#pragma once

#include "drivers/pos_ad/core/Bytes.h"
#include "drivers/pos_ad/core/Config.h"
#include "drivers/pos_ad/core/Image.h"
#include "drivers/pos_ad/core/RunLogLine.h"

#include <string>

namespace platform {

extern const char kSettingsFile[]; // C:\Morvane\scales.ini
extern const char kLogFolder[]; // C:\morvane\log

PosAdConfig LoadConfig();
runlog::Stamp Now();
// Appends to today's run log, making the folder when needed. Failures are ignored: the log must
// never turn a call into a failure.
void AppendRunLog(const runlog::Stamp& when, const std::string& line);
// The whole file, refused past image::kMaxFileBytes.
bool ReadFileBytes(const char* path, Bytes& bytes, std::string& error);
// The system's own decoder (LoadImage, GetDIBits), for the BMP kinds stb_image does not read.
bool DecodeWithSystem(const char* path, image::Rgba& out, std::string& error);
// Makes every missing folder of a path that ends in a folder name.
void MakeFolders(const std::string& folder);

} // namespace platform
