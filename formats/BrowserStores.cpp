#include "formats/BrowserStores.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "util/Text.h"
#include "util/UserFolders.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

struct ChromiumPlace {
    const char* browser;
    const char* base;  // "home", "config", "local" or "roaming"
    const char* directory;
    bool profileIsDirectory;  // Opera keeps one profile in the directory itself
};

// The user-data directories of the Chromium family, the native place (below the user's
// configuration directory, which these browsers take from XDG_CONFIG_HOME) before snap and
// flatpak, whose configuration directories are their own.
const ChromiumPlace kChromiumPlaces[] = {
    {"chrome", "config", "google-chrome", false},
    {"chrome", "home", ".var/app/com.google.Chrome/config/google-chrome", false},
    {"chrome", "local", "Google/Chrome/User Data", false},
    {"chromium", "config", "chromium", false},
    {"chromium", "home", "snap/chromium/common/chromium", false},
    {"chromium", "home", ".var/app/org.chromium.Chromium/config/chromium", false},
    {"chromium", "local", "Chromium/User Data", false},
    {"edge", "config", "microsoft-edge", false},
    {"edge", "home", ".var/app/com.microsoft.Edge/config/microsoft-edge", false},
    {"edge", "local", "Microsoft/Edge/User Data", false},
    {"brave", "config", "BraveSoftware/Brave-Browser", false},
    {"brave", "home", ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser", false},
    {"brave", "local", "BraveSoftware/Brave-Browser/User Data", false},
    {"vivaldi", "config", "vivaldi", false},
    {"vivaldi", "local", "Vivaldi/User Data", false},
    {"opera", "config", "opera", true},
    {"opera", "roaming", "Opera Software/Opera Stable", true},
};

// The directories that hold profiles.ini, native first: the old place in the home directory
// (which Firefox keeps using while it exists), then the configuration directory, where a new
// Firefox makes its profiles.
const std::pair<const char*, const char*> kFirefoxPlaces[] = {
    {"home", ".mozilla/firefox"},
    {"config", "mozilla/firefox"},
    {"home", "snap/firefox/common/.mozilla/firefox"},
    {"home", ".var/app/org.mozilla.firefox/.mozilla/firefox"},
    {"roaming", "Mozilla/Firefox"},
};

bool SameDirectory(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return (a / "").lexically_normal() == (b / "").lexically_normal() ||
           fs::equivalent(a, b, error);
}

// The directories a base stands for. The configuration directory is XDG_CONFIG_HOME's, then
// ~/.config when that is another one: a browser started without the variable uses it.
std::vector<fs::path> BasesOf(const StoreLocations& where, const std::string& base) {
    std::vector<fs::path> bases;
    auto add = [&](const std::string& directory) {
        if (!directory.empty()) bases.emplace_back(directory);
    };
    if (base == "home") {
        add(where.home);
    } else if (base == "config") {
        add(where.configHome);
        if (!where.home.empty()) {
            const fs::path usual = fs::path(where.home) / ".config";
            if (bases.empty() || !SameDirectory(bases[0], usual)) bases.push_back(usual);
        }
    } else if (base == "local") {
        add(where.localAppData);
    } else {
        add(where.appData);
    }
    return bases;
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// "Default" first, then "Profile 1", "Profile 2", ... in number order.
std::vector<std::string> ChromiumProfiles(const fs::path& userData) {
    std::vector<std::string> profiles;
    std::error_code error;
    for (fs::directory_iterator it(userData, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("Profile ", 0) == 0 && IsFile(it->path() / "Bookmarks")) {
            profiles.push_back(name);
        }
    }
    std::sort(profiles.begin(), profiles.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str() + 8) < std::atoi(b.c_str() + 8);
    });
    if (IsFile(userData / "Default" / "Bookmarks")) profiles.insert(profiles.begin(), "Default");
    return profiles;
}

struct FirefoxProfile {
    std::string name, path;
    bool isDefault = false;
};

// The profiles of a profiles.ini, the one the installation uses (or marked Default=1) first.
std::vector<FirefoxProfile> FirefoxProfiles(const fs::path& directory) {
    std::ifstream ini(directory / "profiles.ini");
    std::vector<FirefoxProfile> profiles;
    std::string installDefault;
    std::string section;
    FirefoxProfile current;
    bool relative = true;
    auto finish = [&] {
        if (section.rfind("Profile", 0) == 0 && !current.path.empty()) {
            if (relative) current.path = (directory / current.path).string();
            profiles.push_back(current);
        }
        current = FirefoxProfile();
        relative = true;
    };
    std::string line;
    while (std::getline(ini, line)) {
        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            finish();
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (section.rfind("Install", 0) == 0 && key == "Default" && installDefault.empty()) {
            installDefault = (directory / value).string();
        } else if (key == "Name") {
            current.name = value;
        } else if (key == "Path") {
            current.path = value;
        } else if (key == "IsRelative") {
            relative = value != "0";
        } else if (key == "Default") {
            current.isDefault = value == "1";
        }
    }
    finish();
    // The installation's default wins over the old Default=1 mark.
    auto rank = [&](const FirefoxProfile& profile) {
        if (!installDefault.empty() && fs::path(profile.path) == fs::path(installDefault)) return 0;
        return profile.isDefault ? 1 : 2;
    };
    std::stable_sort(
        profiles.begin(), profiles.end(),
        [&](const FirefoxProfile& a, const FirefoxProfile& b) { return rank(a) < rank(b); });
    return profiles;
}

std::string BrowserCaption(const std::string& browser) {
    static const std::pair<const char*, const char*> kShownNames[] = {
        {"chrome", "Chrome"},   {"chromium", "Chromium"}, {"edge", "Edge"},      {"brave", "Brave"},
        {"vivaldi", "Vivaldi"}, {"opera", "Opera"},       {"firefox", "Firefox"}};
    for (const auto& [name, caption] : kShownNames) {
        if (browser == name) return caption;
    }
    return browser;
}

// Whether the last directories of `directory` are `tail` ("google-chrome",
// "Google/Chrome/User Data").
bool EndsWithDirectories(const fs::path& directory, const char* tail) {
    const std::string path = directory.lexically_normal().generic_string();
    const std::string end = std::string("/") + tail;
    return path.size() >= end.size() &&
           path.compare(path.size() - end.size(), end.size(), end) == 0;
}

// A Firefox profile's name: as the profiles.ini beside it names it, else what its directory's
// name holds after the random part ("k3x9a2.default-release").
std::string FirefoxProfileName(const fs::path& profile) {
    std::error_code error;
    for (const fs::path& holder : {profile.parent_path(), profile.parent_path().parent_path()}) {
        for (const FirefoxProfile& known : FirefoxProfiles(holder)) {
            if (fs::equivalent(known.path, profile, error) && !known.name.empty())
                return known.name;
        }
    }
    const std::string name = profile.filename().string();
    const std::size_t dot = name.find('.');
    return dot == std::string::npos || dot + 1 == name.size() ? name : name.substr(dot + 1);
}

}  // namespace

StoreLocations StoreLocations::FromEnvironment() {
    StoreLocations where;
    where.home = EnvironmentVariable("HOME");
    // A relative XDG_CONFIG_HOME counts as unset, as the XDG base directory rules have it.
    where.configHome = EnvironmentVariable("XDG_CONFIG_HOME");
    if (!fs::path(where.configHome).is_absolute()) where.configHome.clear();
    where.localAppData = EnvironmentVariable("LOCALAPPDATA");
    where.appData = EnvironmentVariable("APPDATA");
    if (where.home.empty()) where.home = EnvironmentVariable("USERPROFILE");
    return where;
}

std::vector<BrowserStore> FindBrowserStores(const StoreLocations& where) {
    std::vector<BrowserStore> stores;
    for (const ChromiumPlace& place : kChromiumPlaces) {
        for (const fs::path& base : BasesOf(where, place.base)) {
            const fs::path directory = base / place.directory;
            if (place.profileIsDirectory) {
                if (IsFile(directory / "Bookmarks")) {
                    stores.push_back(
                        {place.browser, "Default", (directory / "Bookmarks").string()});
                }
                continue;
            }
            for (const std::string& profile : ChromiumProfiles(directory)) {
                stores.push_back(
                    {place.browser, profile, (directory / profile / "Bookmarks").string()});
            }
        }
    }
    for (const auto& [place, relative] : kFirefoxPlaces) {
        for (const fs::path& base : BasesOf(where, place)) {
            for (const FirefoxProfile& profile : FirefoxProfiles(base / relative)) {
                const fs::path places = fs::path(profile.path) / "places.sqlite";
                if (IsFile(places)) stores.push_back({"firefox", profile.name, places.string()});
            }
        }
    }
    return stores;
}

std::string DefaultStoreOf(const std::vector<BrowserStore>& stores, const std::string& browser) {
    for (const BrowserStore& store : stores) {
        if (store.browser == browser) return store.path;
    }
    return {};
}

std::string StoreLabel(const BrowserStore& store) {
    return BrowserCaption(store.browser) + " — " + store.profile + " (" + store.path + ")";
}

namespace {

// The profile directory of a store; a bare or relative name ("Bookmarks" read inside its
// profile) has its directories only once made absolute.
fs::path ProfileOfStore(const std::string& path) {
    std::error_code error;
    fs::path file = fs::absolute(path, error);
    if (error) file = path;
    return file.lexically_normal().parent_path();
}

// The place of the Chromium-family browser whose profile this is, or none.
const ChromiumPlace* ChromiumPlaceOf(const fs::path& profile) {
    for (const ChromiumPlace& place : kChromiumPlaces) {
        const fs::path userData = place.profileIsDirectory ? profile : profile.parent_path();
        if (EndsWithDirectories(userData, place.directory)) return &place;
    }
    return nullptr;
}

}  // namespace

std::string StoreRootName(const std::string& path, SourceKind kind) {
    const fs::path profile = ProfileOfStore(path);
    if (kind == SourceKind::Firefox) {
        return BrowserCaption("firefox") + " — " + FirefoxProfileName(profile);
    }
    if (const ChromiumPlace* place = ChromiumPlaceOf(profile)) {
        return BrowserCaption(place->browser) + " — " +
               (place->profileIsDirectory ? std::string("Default") : profile.filename().string());
    }
    return BrowserCaption("chromium") + " — " + profile.filename().string();
}

std::string ChromiumBrowserOf(const std::string& path) {
    const ChromiumPlace* place = ChromiumPlaceOf(ProfileOfStore(path));
    return place != nullptr ? place->browser : "chromium";
}

}  // namespace pernard
