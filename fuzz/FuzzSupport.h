#pragma once
// What the fuzz targets share: a model with silent ports, a scratch file for inputs that the
// code under test reads from disk, and the table's invariants (a failed one aborts, so that
// libFuzzer reports the input).

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/NullPorts.h"
#include "support/Invariants.h"

namespace pernard::fuzz {

// A model wired to the null ports, with room for 100,000 entries.
struct FuzzModel : NullModel {
    FuzzModel() { settings.maxUrl = "100000"; }
};

// A file of this process's own under /dev/shm (or /tmp) holding `bytes`.
inline std::string ScratchFile(std::string_view bytes, const char* suffix) {
    static const std::string base = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/pernard-fuzz-" + std::to_string(getpid());
    }();
    const std::string path = base + suffix;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::abort();
    }
    std::fclose(file);
    return path;
}

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// The table's invariants (tests/support/Invariants.h); a broken one aborts with its sentence.
inline void CheckInvariants(BmLogic& model) {
    const std::string broken = testing::BrokenInvariant(model);
    if (!broken.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
        std::abort();
    }
}

}  // namespace pernard::fuzz
