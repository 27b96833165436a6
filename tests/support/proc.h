// What /proc says about a running process.
#pragma once

#include <sys/types.h>

#include <string>

// The whole of /proc/<pid>/<name>; "" if there is no such file.
std::string proc_file(pid_t pid, const std::string& name);
// Its resident memory in kB (VmRSS in /proc/<pid>/status), or -1.
long resident_kb(pid_t pid);
// The CPU time it has used, user and system, in clock ticks (fields 14 and 15 of /proc/<pid>/stat), or -1.
long cpu_ticks(pid_t pid);
