// Stand-ins for the handlers and the frame, linked in place of the real ones so
// that the shell's dispatch can be watched call by call.
#pragma once

#include <string>
#include <vector>

// One entry a call: "frame", "key down 97", "key up 304", "motion 10 20".
extern std::vector<std::string> calls;
// When set, each call is also printed on standard output.
extern bool print_calls;
