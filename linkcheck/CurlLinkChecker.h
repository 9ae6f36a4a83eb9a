#pragma once
// The link-check engine on libcurl's multi interface: up to 32 requests in flight on one
// thread, paced by the interval; HEAD for headers (GET, stopped once the headers are in, when a
// server refuses HEAD), GET with the body capped for bodies; redirects followed up to a limit.
// Only http and https are fetched, also after a redirect.

#include "model/LinkCheck.h"

namespace pernard {

class CurlLinkChecker : public LinkChecker {
public:
    CurlLinkChecker();
    void Run(const std::vector<LinkRequest>& requests, const LinkCheckOptions& options,
             const ResultSink& onResult, const std::atomic<bool>& stop) override;
};

}  // namespace pernard
