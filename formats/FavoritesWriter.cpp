#include "formats/FavoritesWriter.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "formats/NetscapeWriter.h"
#include "util/CodePage.h"
#include "util/Paths.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSaveAsCaption = "名前を付けて保存実行中";

void PercentEncodeUtf8(char32_t codePoint, std::string& out) {
    std::string utf8;
    if (!AppendUtf8(utf8, codePoint)) AppendUtf8(utf8, 0xFFFD);
    char hex[4];
    for (unsigned char byte : utf8) {
        std::snprintf(hex, sizeof hex, "%%%02X", byte);
        out += hex;
    }
}

bool IsLink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

// The last component of a directory text: what follows the last separator or ":".
std::string LastComponent(const std::string& path) {
    const std::size_t cut = path.find_last_of(std::string(1, kPathSeparator) + "\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

bool IsUsableFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string ShortcutFileText(const std::string& url) {
    std::string safeUrl;
    for (char c : url) {
        if (c == '\r' || c == '\n') {
            PercentEncodeUtf8(static_cast<unsigned char>(c), safeUrl);
        } else {
            safeUrl += c;
        }
    }
    TextEncoder encoder(kCp932, &PercentEncodeUtf8);
    std::string bytes = "[InternetShortcut]\r\nURL=";
    encoder.Encode(safeUrl, bytes);
    bytes += "\r\n";
    return bytes;
}

bool WriteUrlFile(BmLogic& model, const std::string& directory, int index) {
    const std::string& name = model.glName[static_cast<std::size_t>(index)];
    if (!IsUsableFileName(name)) return false;
    const std::string path = JoinPath(directory, name + ".url");
    // A link where the file goes is replaced, never written through.
    if (IsLink(path) && std::remove(path.c_str()) != 0) return false;
    SafeFileWriter file;
    if (!file.Open(path)) return false;
    file.Write(ShortcutFileText(model.glUrl[static_cast<std::size_t>(index)]));
    return file.Commit();
}

void ReportWriteError(BmLogic& model, int index) {
    const std::size_t k = static_cast<std::size_t>(index);
    model.GetPorts().diagnostics->AppendCheckLog(CheckLogLine(model.glUrl[k], model.glName[k]));
}

bool SaveFavorite(BmLogic& model, const std::string& target, int root) {
    const Ports& ports = model.GetPorts();
    if (ports.progress->Caption() != kSaveAsCaption && !ports.settings->NoOverwriteQuestion()) {
        const std::string question =
            model.glVisit[static_cast<std::size_t>(root)] + " を " + target + " に保存します ";
        if (ports.prompts->Confirm(question, Buttons::YesNo) != Answer::Yes) return false;
    }
    ports.diagnostics->ClearCheckLog();
    int written = 0;
    int failed = 0;
    // One level per open folder: its index, its directory, and whether it could be used.
    struct OpenFolder {
        int index;
        std::string directory;
        bool usable;
    };
    std::vector<OpenFolder> open;
    const int count = std::min(model.glCT, model.Tree().Count());
    for (int i = root + 1; i < count && model.gloya[static_cast<std::size_t>(i)] != -1; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        while (!open.empty() && model.gloya[k] < open.back().index) open.pop_back();
        const std::string& directory = open.empty() ? target : open.back().directory;
        const bool parentUsable = open.empty() || open.back().usable;
        if (model.glUrl[k] != kFolderMarker) {
            if (parentUsable && WriteUrlFile(model, directory, i)) {
                ++written;
            } else {
                ReportWriteError(model, i);
                ++failed;
            }
            continue;
        }
        bool usable = parentUsable && IsUsableFileName(model.glName[k]);
        const std::string folder = usable ? JoinPath(directory, model.glName[k]) : std::string();
        if (usable) {
            std::error_code error;
            fs::create_directory(folder, error);  // an existing directory is fine
            // Never write through a link to somewhere else.
            usable = !IsLink(folder);
        }
        if (!usable) {
            ReportWriteError(model, i);
            ++failed;
        }
        open.push_back(OpenFolder{i, folder, usable});
    }
    if (failed > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "保存エラー : %d 件", failed);
        ports.diagnostics->SetCheckLogStatus(text);
        ports.diagnostics->ShowCheckLog();
    }
    char counts[64];
    std::snprintf(counts, sizeof counts, "OK : %d  NG : %d", written, failed);
    ports.status->SetPanel(0, counts);
    ports.status->SetPanel(1, "保存完了 " + target);
    ports.progress->Close();
    return true;
}

bool SaveAsIE(BmLogic& model) {
    int root = -1;
    if (!CheckRootNode(model, root)) return false;
    const Ports& ports = model.GetPorts();
    std::string target;
    if (!ports.dialogs->ChooseDirectory(ports.settings->AdditionalFavoritesDirectory(), target)) {
        return false;
    }
    if (LowerAscii(LastComponent(target)) != "favorites") {
        ports.prompts->ShowMessage("Favorites 以外の名称のディレクトリには保存できません");
        return false;
    }
    if (IsLink(target)) {
        ports.prompts->ShowMessage("Cannot Save File : " + target);
        return false;
    }
    std::error_code error;
    if (fs::exists(target, error)) {
        const std::string question =
            model.glName[static_cast<std::size_t>(root)] + " を " + target +
            " に上書します（注意！！  この下のファイル、ディレクトリは全ていったん消去されます）";
        if (ports.prompts->Confirm(question, Buttons::YesCancel) != Answer::Yes) return false;
        ports.progress->Show(kSaveAsCaption);
        DeleteTree(target);
    } else {
        ports.progress->Show(kSaveAsCaption);
    }
    fs::create_directories(target, error);
    SaveFavorite(model, target, root);
    ports.status->SetPanel(1, "Save Favorite  " + target + " " + std::to_string(root));
    return true;
}

}  // namespace pernard
