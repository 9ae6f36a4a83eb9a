#include "ui/Language.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pernard::ui {

bool InstallJapanese(QCoreApplication& application) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Qt's own translations, or a "translations" folder beside the program (as a Windows
    // installation ships them).
    const QStringList places = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath("translations"),
    };
    for (const QString& place : places) {
        auto* translator = new QTranslator(&application);
        if (translator->load(japanese, "qtbase", "_", place)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}

}  // namespace pernard::ui
