// What the program promises, for the tests that check it: its window, its
// scene, its arithmetic's constants and the texts it prints.
#pragma once

#include <string>

// The window, in pixels.
constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;

// A rectangle's half width and half height; the fan stands this far before the eye.
constexpr double HALF_WIDTH = 0.41;
constexpr double HALF_HEIGHT = 0.3075;
constexpr double EYE_DISTANCE = 5.0;
// The program's pi, from which it turns degrees into radians (slightly below pi).
constexpr double PROGRAM_PI = 3.141592;
// How far a Ctrl drag pans and a Shift drag moves the scene, per pixel of pointer.
constexpr double PAN_X_PER_PIXEL = 0.009375;
constexpr double PAN_Y_PER_PIXEL = 0.0125;
constexpr double DEPTH_PER_PIXEL = 0.0125;

// The fixed texts it prints.
constexpr char INITIALIZING[] = "Initializing SDL.\n";          // first, before SDL starts
constexpr char QUIT_LINE[] = "Quit requested, quitting.\n";     // when it is asked to quit
constexpr char INIT_FAILED[] = "Video initialization failed: "; // the error line when SDL cannot start
constexpr char MODE_SET_FAILED[] = "Video mode set failed: ";   // ... when the window's mode cannot be set
// INITIALIZING and the line that says the display's depth and the window's size.
inline std::string started_banner(int depth = 32)
{
    return INITIALIZING + ("initializing display to " + std::to_string(depth) + "-bit 640 by 480\n");
}
