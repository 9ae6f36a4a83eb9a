#pragma once
// Puts back together what prettifying tools spread over several lines, so that the line-oriented
// reader sees one entry per line: a <DT> alone on its line goes with the next line, and an <A>
// or <H3> tag that does not end on its line is read on, joined by blanks, up to its closing
// </A> or </H3>. Lines in the usual one-entry-per-line layout, and description (<DD>) lines,
// pass through as they are.

#include <cstddef>
#include <string>

namespace pernard {

class LineJoiner {
public:
    // Takes one decoded line; true when a whole line is ready in `out`. `asItIs` hands the
    // line on unjoined (a line that goes on a description is the description's, whatever
    // tags it holds). `cut`: the line reader cut the line at its length limit; the entry ends
    // with it, so that the tag it was cut in takes none of the lines after it.
    bool Add(const std::string& line, std::string& out, bool asItIs = false, bool cut = false);
    // At the end of the file: true when a held line is handed out in `out`.
    bool Flush(std::string& out);
    // Whether lines are held, waiting for the rest of their entry.
    bool Holding() const { return heldLines_ > 0; }

private:
    // How many lines one entry may be spread over before it is handed out as it stands.
    static constexpr int kMostLines = 16;
    static constexpr std::size_t kMostBytes = 1u << 20;
    bool Ready(std::string& out);

    std::string held_;
    int heldLines_ = 0;
    bool afterTerm_ = false;  // held_ is a lone <DT>
};

}  // namespace pernard
