#include "proc.h"

#include <fstream>
#include <iterator>
#include <sstream>

std::string proc_file(pid_t pid, const std::string& name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string proc_status(pid_t pid, const std::string& field)
{
    std::istringstream in(proc_file(pid, "status"));
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return line.substr(field.size() + 1);
    return "";
}

std::string proc_stat(pid_t pid, int number)
{
    const std::string stat = proc_file(pid, "stat");
    const size_t close = stat.rfind(')'); // the command name, field 2, may hold spaces and parentheses
    if (close == std::string::npos)
        return "";
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= number; ++i)
        if (!(fields >> field))
            return "";
    return field;
}
