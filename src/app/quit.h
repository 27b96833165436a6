// The one way out of the process, below input and the shell so that both can leave.
#pragma once

// Shuts SDL down and ends the process with code; exit handlers run and output is flushed.
[[noreturn]] void quit_program(int code);
