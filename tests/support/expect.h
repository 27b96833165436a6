// How the end-to-end tests judge the viewer's end and its pictures.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "image.h"
#include "platform.h"
#include "promises.h"

// Skips the test, saying why, when `reason` is not "" (missing_tool's line, say).
#define TURNFAN_SKIP_IF(reason)                                                                                        \
    if (const std::string turnfan_skip_reason = (reason); !turnfan_skip_reason.empty())                                \
    GTEST_SKIP() << turnfan_skip_reason

// A clean end: status 0, `out` on standard output, nothing on standard error.
void expect_clean_end(const ExitResult& r, const std::string& out);
// Closes the window and expects a clean end with `out`: by default the banner of a 32-bit desktop and the quit line.
void expect_clean_close(Platform& p, const std::string& out = started_banner() + QUIT_LINE);
// A failed start: status 1; standard output holds INITIALIZING and, when `message` is MODE_SET_FAILED, a display line
// of any depth; standard error holds one line, `message` followed by SDL's reason.
void expect_failed_start(const ExitResult& r, const std::string& message);

// How many pixels of the picture, in the box from (x0, y0) to (x1, y1), have exactly this colour.
int count(const Image& image, uint8_t r, uint8_t g, uint8_t b, int x0 = 0, int y0 = 0, int x1 = WINDOW_WIDTH - 1,
    int y1 = WINDOW_HEIGHT - 1);
// How many pixels differ between two pictures of one size (-1 if the sizes differ);
// the pictures are saved beside the build, named after the test and `what`, when some do.
int differing_pixels(const Image& got, const Image& want, const std::string& what = "", int reach = 0);
// With reach 0 as above; else the pixels of either picture whose colour the other has nowhere within `reach` pixels of
// the same place, save where two lines cross and the other shows the one on top. Nothing is saved.
int unmatched_pixels(const Image& got, const Image& want, int reach);
// A path beside the build for what the current test leaves to look at, named after it and `what`.
std::string artifact(const std::string& what);
