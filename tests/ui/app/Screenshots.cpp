// Renders the main window (with a folder selected), the settings window and the version window
// of the sample collection into PNG files, for the documentation and for looking at changes.
//
//   ui-screenshots OUTPUT_DIRECTORY

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "ui/tools/BmVersion.h"
#include "ui/main/BoardMain.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/app/Fonts.h"
#include "ui/app/PernardApp.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui-screenshots OUTPUT_DIRECTORY\n");
        return 2;
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication application(argc, argv);
    pernard::ui::InstallFontSubstitutes();
    QApplication::setFont(pernard::ui::DesignFont(pernard::ui::kPGothic, 12));
    const QDir output(QString::fromLocal8Bit(argv[1]));
    pernard::ui::PernardApp program(pernard::ui::StartupOverride{
        pernard::SourceKind::BookmarkFile, PERNARD_EXAMPLES_DIR "/bookmark.htm"});
    pernard::ui::TFormMain& main = *program.FormMain;
    main.resize(760, 470);
    main.show();
    main.TreeV->expandAll();
    // The folder 開発資料 (entry 6) with its bookmarks.
    main.TreeV->setCurrentIndex(main.TreeItems->IndexOf(program.Model().glNode[6]));
    main.TreeVChange();
    program.FormBookmark->show();
    program.FormVersion->show();
    QApplication::processEvents();
    bool ok = main.grab().save(output.filePath("main-window.png"));
    ok = program.FormBookmark->grab().save(output.filePath("settings-window.png")) && ok;
    ok = program.FormVersion->grab().save(output.filePath("version-window.png")) && ok;
    program.Model().DiscardChanges();
    return ok ? 0 : 1;
}
