// The main of every GUI test executable: one QApplication on the offscreen platform, and
// settings kept apart from the user's own and from every other test run.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Test mode keeps settings in $HOME: its own home keeps parallel runs from sharing them.
    QTemporaryDir home;
    if (home.isValid())
        qputenv("HOME", QFile::encodeName(home.path()));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("ZarnEditor");
    QApplication::setApplicationName("Zarn Editor Tests");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
