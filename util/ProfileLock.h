#pragma once
// Whether a Chromium-family browser runs on a profile. A running browser keeps the bookmarks in
// memory and writes its `Bookmarks` file over whatever is there when it exits, so the file may
// be written only while it does not run. The browser tells itself the same way: its user-data
// directory holds a lock while it runs (`SingletonLock` on Linux: a link to "host-pid";
// `lockfile` on Windows, held open by the running browser). A lock left by a browser that
// crashed on this machine counts as free, as the browser counts it.

#include <string>

namespace pernard {

// True when a browser holds the profile that the `Bookmarks` file `storePath` belongs to (the
// lock is looked for in the profile's directory and in the user-data directory above it).
bool BrowserProfileInUse(const std::string& storePath);

}  // namespace pernard
