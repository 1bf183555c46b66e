#pragma once

#include <fstream>
#include <string>

// Peak resident memory since the last reset, in MB (Linux).
inline void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

inline double peakMemoryMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}
