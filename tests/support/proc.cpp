#include "proc.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

std::string proc_file(pid_t pid, const std::string& name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

long resident_kb(pid_t pid)
{
    std::istringstream in(proc_file(pid, "status"));
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

long cpu_ticks(pid_t pid)
{
    const std::string stat = proc_file(pid, "stat");
    const size_t close = stat.rfind(')'); // the command name, field 2, may hold spaces and parentheses
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 1));
    std::string skipped; // fields 3 (the state) to 13
    for (int i = 3; i < 14; ++i)
        fields >> skipped;
    long utime = 0, stime = 0;
    return fields >> utime >> stime ? utime + stime : -1;
}
