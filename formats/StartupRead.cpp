#include "formats/StartupRead.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "formats/FavoritesReader.h"
#include "formats/NetscapeReader.h"

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
    if (settings.StartupSourceKind() == StartupSource::InternetExplorer) {
        const std::string directory = settings.StartupFavoritesDirectory();
        if (directory.empty() || !fs::is_directory(directory, error)) return false;
        complete = ReadFavorites(model, true, directory, errorText, urlCount);
    } else {
        const std::string file = settings.StartupBookmarkFile();
        if (file.empty() || !fs::is_regular_file(file, error)) return false;
        complete = ReadNetscapeFile(model, true, file, urlCount, errorText);
    }
    // A read that stopped early says so: the table holds only part of the source.
    char text[64];
    std::snprintf(text, sizeof text, "読込完了 :%d 件", urlCount);
    ports.status->SetPanel(0, complete || errorText.empty() ? text : "エラー " + errorText);
    model.CheckConsistency("初期ＲＥＡＤ", true);
    return true;
}

}  // namespace pernard
