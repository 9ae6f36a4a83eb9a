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
    if (settings.StartupSourceKind() == StartupSource::InternetExplorer) {
        const std::string directory = settings.StartupFavoritesDirectory();
        if (directory.empty() || !fs::is_directory(directory, error)) return false;
        ReadFavorites(model, true, directory, errorText, urlCount);
    } else {
        const std::string file = settings.StartupBookmarkFile();
        if (file.empty() || !fs::is_regular_file(file, error)) return false;
        ReadNetscapeFile(model, true, file, urlCount, errorText);
    }
    char text[64];
    std::snprintf(text, sizeof text, "読込完了 :%d 件", urlCount);
    ports.status->SetPanel(0, text);
    model.CheckConsistency("初期ＲＥＡＤ", true);
    return true;
}

}  // namespace pernard
