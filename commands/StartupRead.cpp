#include "commands/StartupRead.h"

#include <filesystem>
#include <system_error>

#include "commands/LoadCommands.h"
#include "util/UserFolders.h"

namespace pernard {

namespace fs = std::filesystem;

bool StartupRead(BmLogic& model, int& urlCount) {
    urlCount = 0;
    model.ClearTable();
    const Ports& ports = model.GetPorts();
    SettingsPort& settings = *ports.settings;
    std::error_code error;
    // A source that is named but cannot be read says so in panel 0: an empty window alone
    // would not tell why.
    auto unreadable = [&](const std::string& text) {
        ports.status->SetPanel(0, "エラー " + text);
        return false;
    };
    std::string source;
    std::optional<SourceKind> as;
    if (settings.StartupSourceKind() == SourceKind::Favorites) {
        // No directory chosen: the user's own Favorites folder, where the system has one.
        source = settings.StartupFavoritesDirectory();
        if (source.empty()) source = DefaultFavoritesDirectory();
        if (source.empty()) return false;
        if (!fs::is_directory(source, error)) {
            return unreadable("ディレクトリが存在しません : " + source);
        }
        as = SourceKind::Favorites;
    } else {
        source = settings.StartupBookmarkFile();
        if (source.empty()) return false;
        if (!fs::is_regular_file(source, error)) {
            return unreadable(fs::exists(source, error)
                                  ? "ブックマークファイルとして読めません : " + source
                                  : "Not Found Bookmark : " + source);
        }
    }
    urlCount = LoadAndSay(model, true, source, as, kCompleteLoadWords, "初期ＲＥＡＤ").urlCount;
    return true;
}

}  // namespace pernard
