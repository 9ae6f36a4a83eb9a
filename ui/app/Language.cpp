#include "ui/app/Language.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pernard::ui {

namespace {

// Texts of Qt's that its Japanese translation leaves in English, whatever their context: the
// file dialog's type of a directory, its filter of every file, and key names in menus.
class QtGaps : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(context);
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (source == nullptr) return {};
        const QString text = QString::fromLatin1(source);
        // The key that ends a line is labelled Enter on Japanese keyboards.
        if (text == "Return") return "Enter";
        if (text == "Folder" || text == "File Folder") return "フォルダー";
        if (text == "All Files (*)") return "すべてのファイル (*)";
        if (text == "All Files (*.*)") return "すべてのファイル (*.*)";
        return {};
    }
};

}  // namespace

bool InstallJapanese(QCoreApplication& application) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Qt's own translations: the ones built into the program (the Windows build carries them as
    // a resource), the system's, or a "translations" folder beside the program.
    const QStringList places = {
        QStringLiteral(":/translations"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath("translations"),
    };
    bool found = false;
    for (const QString& place : places) {
        auto* translator = new QTranslator(&application);
        if (translator->load(japanese, "qtbase", "_", place)) {
            QCoreApplication::installTranslator(translator);
            found = true;
            break;
        }
        delete translator;
    }
    // Installed last, so asked first; it answers only for its own few texts.
    QCoreApplication::installTranslator(new QtGaps(&application));
    return found;
}

}  // namespace pernard::ui
