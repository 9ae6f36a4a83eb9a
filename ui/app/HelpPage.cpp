#include "ui/app/HelpPage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace pernard::ui {

QString HelpPagePath() {
    const QFileInfo program(QApplication::applicationFilePath());
    const QString beside = program.absolutePath() + "/" + program.completeBaseName() + ".htm";
    if (QFileInfo::exists(beside)) return beside;
    // PERNARD_DATA_FROM_BIN: the data directory relative to the program's directory when
    // installed, for example "../share/pernard".
    const QString installed =
        QDir::cleanPath(program.absolutePath() + "/" + PERNARD_DATA_FROM_BIN + "/pernard.htm");
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace pernard::ui
