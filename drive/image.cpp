#include "image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdio>

namespace {

// 8-bit value of the channel under `mask` in `pixel`.
uint8_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long max = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

} // namespace

Image image_from_ximage(XImage* xi)
{
    Image image;
    image.width = xi->width;
    image.height = xi->height;
    image.rgb.resize(static_cast<size_t>(xi->width) * static_cast<size_t>(xi->height) * 3);
    for (int row = 0; row < xi->height; ++row)
        for (int col = 0; col < xi->width; ++col) {
            const unsigned long p = XGetPixel(xi, col, row);
            uint8_t* out = &image.rgb[3 * (static_cast<size_t>(row) * static_cast<size_t>(xi->width) + col)];
            out[0] = channel(p, xi->red_mask);
            out[1] = channel(p, xi->green_mask);
            out[2] = channel(p, xi->blue_mask);
        }
    return image;
}

bool save_png(const Image& image, const std::string& path)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}

Image load_png(const std::string& path)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    Image image;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        image.width = static_cast<int>(png.width);
        image.height = static_cast<int>(png.height);
        image.rgb = std::move(rgb);
    }
    png_image_free(&png);
    return image;
}
