#pragma once
// Where browsers keep their bookmarks: the `Bookmarks` file of each Chromium-family profile and
// the `places.sqlite` of each Firefox profile, on Linux (the usual places, XDG_CONFIG_HOME's
// among them, snap and flatpak ones) and on Windows. Only looked at, never opened for writing.

#include <string>
#include <vector>

#include "model/SourceKind.h"

namespace pernard {

// The directories the search starts from; empty ones are not searched.
struct StoreLocations {
    std::string home;          // $HOME
    std::string configHome;    // $XDG_CONFIG_HOME when absolute; searched before ~/.config
    std::string localAppData;  // %LOCALAPPDATA%
    std::string appData;       // %APPDATA%
    static StoreLocations FromEnvironment();
};

struct BrowserStore {
    std::string browser;  // "chrome", "chromium", "edge", "brave", "vivaldi", "opera", "firefox"
    std::string profile;  // the profile's name ("Default", "Profile 1", Firefox's own name)
    std::string path;     // the Bookmarks file or places.sqlite
    bool IsFirefox() const { return browser == "firefox"; }
};

// The names `--browser` takes, as one text for messages.
inline constexpr const char* kBrowserNames =
    "chrome, chromium, edge, brave, vivaldi, opera, firefox";

// Every store found, each browser's default profile first.
std::vector<BrowserStore> FindBrowserStores(const StoreLocations& where);

// The path of the default profile's store of `browser`; empty when none was found (or the name
// is none of kBrowserNames).
std::string DefaultStoreOf(const std::vector<BrowserStore>& stores, const std::string& browser);

// What a menu shows for a store: "Chrome — Default (path)".
std::string StoreLabel(const BrowserStore& store);

// The name a store's root is shown under, as a user knows the store: the browser and the
// profile ("Chrome — Default", "Firefox — default-release"), found from where the file lies. A
// store in no place a browser uses is named after its kind and its directory
// ("Chromium — Backup"); a Firefox database under another name than places.sqlite too.
std::string StoreRootName(const std::string& path, SourceKind kind);
// The Chromium-family browser ("chrome", "edge", …) whose profile holds this `Bookmarks` file,
// from where it lies; "chromium" when no known place holds it.
std::string ChromiumBrowserOf(const std::string& path);

}  // namespace pernard
