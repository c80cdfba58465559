#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGBA pixels (top row first) as an RGB PNG file. Returns false, with
// nothing left behind, if the file cannot be written.
bool writePng(const std::string &path, int width, int height,
              const std::vector<std::uint8_t> &rgba);
