#include "commands/StartupRead.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "formats/FavoritesReader.h"
#include "formats/NetscapeReader.h"
#include "formats/SourceRead.h"

namespace pernard {

namespace fs = std::filesystem;

bool StartupRead(BmLogic& model, int& urlCount) {
    urlCount = 0;
    model.ClearTable();
    const Ports& ports = model.GetPorts();
    SettingsPort& settings = *ports.settings;
    std::error_code error;
    std::string errorText;
    bool complete = true;
    // A source that is named but cannot be read says so in panel 0: an empty window alone
    // would not tell why.
    auto unreadable = [&](const std::string& text) {
        ports.status->SetPanel(0, "エラー " + text);
        return false;
    };
    if (settings.StartupSourceKind() == StartupSource::InternetExplorer) {
        const std::string directory = settings.StartupFavoritesDirectory();
        if (directory.empty()) return false;
        if (!fs::is_directory(directory, error)) {
            return unreadable("ディレクトリが存在しません : " + directory);
        }
        complete = ReadFavorites(model, true, directory, errorText, urlCount);
    } else {
        const std::string file = settings.StartupBookmarkFile();
        if (file.empty()) return false;
        if (!fs::is_regular_file(file, error)) {
            return unreadable(fs::exists(file, error)
                                  ? "ブックマークファイルとして読めません : " + file
                                  : "Not Found Bookmark : " + file);
        }
        complete = ReadSource(model, true, file, urlCount, errorText);
    }
    // A read that stopped early says so: the table holds only part of the source.
    char text[64];
    std::snprintf(text, sizeof text, "読込完了 :%d 件", urlCount);
    ports.status->SetPanel(0, complete || errorText.empty() ? text : "エラー " + errorText);
    // The reader returned what stopped it; it is said once, here.
    if (!complete && !errorText.empty()) ports.prompts->ShowMessage(errorText);
    model.CheckConsistency("初期ＲＥＡＤ", true);
    return true;
}

}  // namespace pernard
