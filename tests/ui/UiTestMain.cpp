// The UI tests run headless with their settings in a temporary folder of their own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ui/app/Fonts.h"
#include "ui/app/Language.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_DATA_HOME", (config.path() + "/data").toUtf8());
    QApplication application(argc, argv);
    QApplication::setApplicationName("Pernard");
    pernard::ui::InstallFontSubstitutes();
    pernard::ui::InstallJapanese(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
