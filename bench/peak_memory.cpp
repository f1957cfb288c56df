#include "peak_memory.h"

#include <fstream>
#include <string>

namespace bench {

namespace {

double statusFieldMb(const std::string &field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    double kilobytes = 0;
    while (status >> name) {
        if (name == field + ':' && status >> kilobytes)
            return kilobytes / 1024.0;
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

} // namespace

double residentMb()
{
    return statusFieldMb("VmRSS");
}

double peakResidentMb()
{
    return statusFieldMb("VmHWM");
}

void resetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace bench
