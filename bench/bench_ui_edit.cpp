// Times editing commands end to end in the desktop program (offscreen): a collection of ten
// folders, each a tenth of the whole, with the root and two folders expanded around the one
// edited. Deletes a folder, moves one up, copies and pastes one; then undoes and redoes them;
// then a search that finds every bookmark, and a check log of 300,000 lines.
//
//   QT_QPA_PLATFORM=offscreen bench-ui-edit [ENTRIES]      (default: 1000000)

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchPorts.h"
#include "ui/tools/BmKensaku.h"
#include "ui/main/BoardMain.h"
#include "ui/app/PernardApp.h"

namespace {

std::string WriteCollection(int entries) {
    const std::string path = "/tmp/pernard-bench-ui-edit.htm";
    std::ofstream out(path, std::ios::binary);
    out << "<TITLE>root</TITLE>\n<DL><p>\n";
    const int perFolder = entries / 10 - 1;
    for (int f = 0; f < 10; ++f) {
        out << "<DT><H3>folder " << f << "</H3>\n<DL><p>\n";
        for (int u = 0; u < perFolder; ++u) {
            out << "<DT><A HREF=\"https://example.com/" << f << "/" << u << "\">" << u << "</A>\n";
        }
        out << "</DL><p>\n";
    }
    out << "</DL><p>\n";
    return path;
}

double Time(const std::function<void()>& command) {
    QElapsedTimer timer;
    timer.start();
    command();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", "/tmp/pernard-bench-ui-config");
    const int entries = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QApplication application(argc, argv);
    {
        QSettings settings("Tesvel", "Common");
        settings.setValue("Window/fmBookmark.MaxURL", QString::number(2 * entries));
    }
    pernard::NullPrompts prompts;
    prompts.answer = pernard::Answer::Yes;
    pernard::ui::PernardApp app(
        pernard::ui::StartupOverride{pernard::SourceKind::BookmarkFile, WriteCollection(entries)},
        pernard::ui::UiOverrides{&prompts, nullptr, nullptr, nullptr});
    pernard::ui::TFormMain& main = *app.FormMain;
    main.resize(900, 700);
    main.show();
    QApplication::processEvents();
    pernard::BmLogic& model = app.Model();
    auto folder = [&](int f) { return model.glNode[0]->Child(f); };
    auto select = [&](const pernard::TreeNode* node) {
        main.TreeV->setCurrentIndex(main.TreeItems->IndexOf(node));
        QApplication::processEvents();
    };
    main.TreeV->expand(main.TreeItems->IndexOf(model.glNode[0]));
    main.TreeV->expand(main.TreeItems->IndexOf(folder(4)));
    main.TreeV->expand(main.TreeItems->IndexOf(folder(6)));
    QApplication::processEvents();
    std::printf("%d entries, folders of %d\n", model.glCT, model.glCT / 10);

    select(folder(5));
    std::printf("delete a folder (tree menu):  %.3f s\n", Time([&] { main.Delete1Click(); }));
    select(folder(5));
    std::printf("move a folder up:             %.3f s\n", Time([&] { main.BtUpClick(); }));
    select(folder(6));
    main.BtCopyClick();
    select(folder(2));
    std::printf("paste a copied folder:        %.3f s\n", Time([&] { main.BtPasteClick(); }));
    std::printf("entries now: %d\n", model.glCT);
    for (int step = 0; step < 3; ++step) {
        const std::string name = model.UndoName();
        std::printf("undo %-24s %.3f s\n", name.c_str(), Time([&] { main.UndoClick(); }));
    }
    for (int step = 0; step < 3; ++step) {
        const std::string name = model.RedoName();
        std::printf("redo %-24s %.3f s\n", name.c_str(), Time([&] { main.RedoClick(); }));
    }
    pernard::ui::TFormKensaku& search = *app.FormKensaku;
    search.show();
    search.EditKeyword->setText("https");
    search.SetTaishouIndex(1);
    const double searchSeconds = Time([&] { search.Button1Click(); });
    std::printf("search every URL in the window: %.3f s, %d hits\n", searchSeconds,
                search.Results->rowCount());
    std::vector<std::string> lines(300000, pernard::CheckLogLine("https://example.com/a", "name"));
    std::printf("check log of 300,000 lines:   %.3f s\n", Time([&] {
                    model.GetPorts().diagnostics->ClearCheckLog();
                    model.GetPorts().diagnostics->AppendCheckLogLines(lines);
                    model.GetPorts().diagnostics->ShowCheckLog();
                }));
    return 0;
}
