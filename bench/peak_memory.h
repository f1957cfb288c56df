#pragma once

// The resident memory of this process, from Linux's /proc/self/status, in MB: for benchmarks
// that show how much a piece of work holds at its peak beside the program before it.
namespace bench {

double residentMb();
// The most the process has held since it started or since resetPeakResident().
double peakResidentMb();
void resetPeakResident();

// From its making on: the most the process held beyond what it held then.
class PeakAboveStart {
public:
    PeakAboveStart()
    {
        resetPeakResident();
        m_start = residentMb();
    }
    double mb() const { return peakResidentMb() - m_start; }

private:
    double m_start = 0;
};

} // namespace bench
