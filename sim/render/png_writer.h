// Pages to PNG files with libpng: one bit per dot, as the head prints them.
#pragma once

#include <string>

#include "render/page_image.h"

namespace zsim::render {

// Returns false and sets error when the file cannot be written.
bool writePng(const PageImage& page, const std::string& path, std::string& error);

}  // namespace zsim::render
