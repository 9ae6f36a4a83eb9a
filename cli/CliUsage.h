#pragma once
// What pernard-cli says of itself: the short usage after a usage error, and the whole help as
// the manual page pernard-cli(1) gives it.

namespace pernard {

const char* CliUsage();
const char* CliHelp();

}  // namespace pernard
