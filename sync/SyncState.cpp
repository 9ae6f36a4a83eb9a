#include "sync/SyncState.h"

#include <nettle/sha2.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "util/HexText.h"
#include "util/PrivateDirectory.h"
#include "util/SafeFile.h"
#include "util/UserFolders.h"

namespace fs = std::filesystem;

namespace pernard::sync {

namespace {

constexpr const char* kMagic = "pernard-sync 1";
constexpr std::size_t kKeptVersions = 10;

std::string NewDeviceId() {
    std::random_device random;
    unsigned char bytes[16];
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random() & 0xff);
    return LowerHex(bytes, sizeof bytes);
}

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool MakePrivateFolder(const std::string& directory) {
    std::error_code failure;
    fs::create_directories(fs::path(directory), failure);
    if (!fs::is_directory(fs::path(directory), failure)) return false;
    fs::permissions(fs::path(directory), fs::perms::owner_all, fs::perm_options::replace, failure);
    return true;
}

// The header's "key=value" lines, up to the blank line; the rest is the base.
bool ParseState(const std::string& text, SyncState& state) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kMagic) return false;
    std::size_t consumed = line.size() + 1;
    while (std::getline(in, line)) {
        consumed += line.size() + 1;
        if (line.empty()) break;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return false;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "format") {
            if (value != "html" && value != "xbel") return false;
            state.format = value == "html" ? SharedFormat::Html : SharedFormat::Xbel;
        } else if (key == "etag") {
            state.etag = value;
        } else if (key == "device") {
            state.deviceId = value;
        } else if (key == "base") {
            state.hasBase = value == "yes";
        }
    }
    if (state.deviceId.size() != 32) return false;
    if (state.hasBase) state.base = consumed <= text.size() ? text.substr(consumed) : std::string();
    return true;
}

}  // namespace

namespace {

std::string Sha256Hex(const std::string& key, std::size_t bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, key.size(), reinterpret_cast<const std::uint8_t*>(key.data()));
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    return LowerHex(digest, bytes);
}

std::string AbsolutePath(const std::string& path) {
    std::error_code failure;
    const fs::path absolute = fs::absolute(fs::path(path), failure);
    return failure ? path : absolute.lexically_normal().string();
}

std::string LinkPath(const std::string& localPath) {
    const std::string data = ProgramDataDirectory();
    if (data.empty()) return {};
    return (fs::path(data) / "sync" / "links" / Sha256Hex(AbsolutePath(localPath), 12)).string();
}

}  // namespace

std::string SyncStateStore::DefaultDirectory(const std::string& localPath,
                                             const std::string& remoteUrl) {
    const std::string data = ProgramDataDirectory();
    if (data.empty()) return {};
    return (fs::path(data) / "sync" / Sha256Hex(AbsolutePath(localPath) + "\n" + remoteUrl, 12))
        .string();
}


std::string SyncStateStore::LinkedRemote(const std::string& localPath) {
    const std::string path = LinkPath(localPath);
    std::string url;
    if (path.empty() || !ReadWhole(path, url)) return {};
    while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
    return url;
}

bool SyncStateStore::LinkRemote(const std::string& localPath, const std::string& remoteUrl) {
    const std::string path = LinkPath(localPath);
    if (path.empty() || !MakePrivateFolder(fs::path(path).parent_path().string())) return false;
    SafeFileWriter file;
    if (!file.Open(path)) return false;
    file.Write(remoteUrl + "\n");
    return file.Commit();
}

bool SyncStateStore::HasBase() const {
    std::string text;
    SyncState state;
    return ReadWhole(StatePath(), text) && ParseState(text, state) && state.hasBase;
}

std::string SyncStateStore::StatePath() const {
    return (fs::path(directory_) / "state").string();
}

bool SyncStateStore::LockRun() {
    if (!MakePrivateFolder(directory_)) return false;
    return runLock_.TryLock((fs::path(directory_) / "run.lock").string());
}

bool SyncStateStore::Load(SyncState& state, std::string& error) {
    std::string text;
    std::error_code failure;
    if (!fs::exists(fs::path(StatePath()), failure)) {
        state = SyncState{};
        state.deviceId = NewDeviceId();
        state.fresh = true;
        return true;
    }
    if (!ReadWhole(StatePath(), text) || !ParseState(text, state)) {
        error = "同期の状態が壊れています : " + StatePath();
        return false;
    }
    return true;
}

bool SyncStateStore::Save(const SyncState& state, std::string& error) {
    if (!MakePrivateFolder(directory_)) {
        error = "同期の状態を置くフォルダーを作れません : " + directory_;
        return false;
    }
    std::string text = std::string(kMagic) + "\nformat=" + FormatName(state.format) +
                       "\netag=" + state.etag + "\ndevice=" + state.deviceId +
                       "\nbase=" + (state.hasBase ? "yes" : "no") + "\n\n";
    if (state.hasBase) text += state.base;
    SafeFileWriter file;
    if (file.Open(StatePath())) {
        file.Write(text);
        if (file.Commit()) {
            MakeOwnerOnly(fs::path(StatePath()));
            return true;
        }
    }
    error = "同期の状態を書けません : " + StatePath();
    return false;
}

bool SyncStateStore::KeepRemoteVersion(const std::string& bytes) {
    const fs::path folder = fs::path(directory_) / "versions";
    if (!MakePrivateFolder(folder.string())) return false;
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    std::vector<std::string> kept = RemoteVersions();
    std::string name = std::to_string(now);
    name.insert(0, 16 - std::min<std::size_t>(16, name.size()), '0');
    const fs::path path = folder / name;
    SafeFileWriter file;
    if (!file.Open(path.string())) return false;
    file.Write(bytes);
    if (!file.Commit()) return false;
    MakeOwnerOnly(path);
    kept.push_back(path.string());
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    std::error_code failure;
    for (std::size_t k = 0; k + kKeptVersions < kept.size(); ++k) fs::remove(fs::path(kept[k]), failure);
    return true;
}

std::vector<std::string> SyncStateStore::RemoteVersions() const {
    std::vector<std::string> versions;
    std::error_code failure;
    const fs::path folder = fs::path(directory_) / "versions";
    for (fs::directory_iterator it(folder, failure), end; !failure && it != end; it.increment(failure)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 16 && name.find_first_not_of("0123456789") == std::string::npos) {
            versions.push_back(it->path().string());
        }
    }
    std::sort(versions.begin(), versions.end());
    return versions;
}

}  // namespace pernard::sync
