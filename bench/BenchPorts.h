#pragma once
// The model of the benchmark programs.

#include <string>

#include "model/NullPorts.h"

namespace pernard::bench {

// A model wired to the null ports, with room for ten million entries; questions are answered
// Yes, so that a save runs through.
struct BenchModel : NullModel {
    BenchModel() {
        settings.maxUrl = "10000000";
        prompts.answer = Answer::Yes;
    }
};

// Peak resident memory of the process so far, in megabytes.
long PeakMegabytes();

}  // namespace pernard::bench
