// Starts a QApplication, shows a label in Japanese and loads Qt's Japanese messages: enough to
// see that the static Windows Qt links, finds its platform plugin and runs.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTranslator translator;
    const bool translated = translator.load(QStringLiteral("qtbase_ja.qm"));
    if (translated) {
        QApplication::installTranslator(&translator);
    }
    const QString greeting = QString::fromUtf8("こんにちは、ブックマーク");
    QLabel label(greeting);
    label.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    app.exec();
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    std::printf("platform %s, label %s, width %d, Cancel -> %s\n",
                qPrintable(QGuiApplication::platformName()), label.text().toUtf8().constData(),
                label.sizeHint().width(), cancel.toUtf8().constData());
    const bool ok = label.text() == greeting && translated;
    return ok ? 0 : 1;
}
