// What /proc says about a running process.
#pragma once

#include <sys/types.h>

#include <string>

// The whole of /proc/<pid>/<name>; "" if there is no such file.
std::string proc_file(pid_t pid, const std::string& name);
// The value on the line `field` of /proc/<pid>/status ("VmRSS", "SigCgt"),
// after the colon; "" if there is no such line.
std::string proc_status(pid_t pid, const std::string& field);
// Field `number` of /proc/<pid>/stat as proc(5) numbers them, from 3 (the
// state) on; "" if there is none.
std::string proc_stat(pid_t pid, int number);
