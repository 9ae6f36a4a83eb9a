// Times the desktop program (offscreen) from its start on a bookmark file to the main window
// shown with the loaded collection: the read, the tree view and the list.
//
//   bench-ui-load FILE

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <cstdio>
#include <string>

#include "model/NullPorts.h"
#include "ui/main/BoardMain.h"
#include "ui/app/PernardApp.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-ui-load FILE\n");
        return 2;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", "/tmp/pernard-bench-ui-config");
    QApplication application(argc, argv);
    QSettings("Tesvel", "Common").setValue("Window/fmBookmark.MaxURL", "10000000");
    pernard::NullPrompts prompts;
    QElapsedTimer timer;
    timer.start();
    pernard::ui::PernardApp app(
        pernard::ui::StartupOverride{pernard::SourceKind::BookmarkFile, argv[1]},
        pernard::ui::UiOverrides{&prompts, nullptr, nullptr, nullptr});
    app.FormMain->resize(900, 700);
    app.FormMain->show();
    QApplication::processEvents();
    std::printf("window shown with %d entries: %.3f s\n", app.Model().glCT,
                static_cast<double>(timer.nsecsElapsed()) / 1e9);
    return 0;
}
