#include "bench/BenchPorts.h"

#include <sys/resource.h>

namespace pernard::bench {

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace pernard::bench
