// Pernard, the desktop bookmark manager.
//
//   pernard [SOURCE]
//   pernard --help | --version
//
// SOURCE, a bookmark file or a Favorites directory, is read at start-up instead of the
// collection named in the settings; the settings are not changed by it.

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/main/BoardMain.h"
#include "ui/app/Fonts.h"
#include "ui/app/Icons.h"
#include "ui/app/Language.h"
#include "ui/app/PernardApp.h"

namespace {

bool HasDisplay() {
#if defined(__linux__)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
#else
    return true;
#endif
}

}  // namespace

constexpr const char* kHelp =
    "usage: pernard [SOURCE]\n"
    "       pernard --help | --version\n"
    "\n"
    "Pernard, a bookmark manager for bookmark files and Favorites directories.\n"
    "SOURCE, a bookmark file or a Favorites directory, is read at start-up instead of the\n"
    "collection chosen in the settings, for this run only.\n";

int main(int argc, char** argv) {
    // These answer on the terminal, display or not.
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("pernard %s\n", PERNARD_VERSION);
        return 0;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "pernard: 画面 (ディスプレイ) が見つかりません。\n"
                     "pernard: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "To run it on a machine without a screen, start it under Xvfb:\n"
                     "    xvfb-run -a %s%s%s\n",
                     argv[0], argc > 1 ? " " : "", argc > 1 ? argv[1] : "");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Pernard");
    QApplication::setOrganizationName("Tesvel");
    QApplication::setWindowIcon(pernard::ui::ProgramIcon());
    pernard::ui::InstallJapanese(application);
    pernard::ui::InstallFontSubstitutes();
    QApplication::setFont(pernard::ui::DesignFont(pernard::ui::kPGothic, 12));

    std::optional<pernard::ui::StartupOverride> source;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QFileInfo info(arguments[1]);
        source =
            pernard::ui::StartupOverride{info.isDir() ? pernard::SourceKind::Favorites
                                                      : pernard::SourceKind::BookmarkFile,
                                         info.absoluteFilePath().toStdString()};
    }
    pernard::ui::PernardApp program(source);
    program.FormMain->show();
    return QApplication::exec();
}
