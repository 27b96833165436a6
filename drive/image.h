// A picture read back from the screen, and saved as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _XImage;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // row by row from the top, 3 bytes a pixel

    const uint8_t* at(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
};

// The picture in an XImage of any visual, each channel scaled to 8 bits.
Image image_from_ximage(_XImage* xi);

// Writes a PNG; true on success.
bool save_png(const Image& image, const std::string& path);
// Reads a PNG as RGB; an empty picture on failure.
Image load_png(const std::string& path);
