// main() of the test programs that open windows: a QApplication on the
// offscreen platform, then every test.

#include "model/Texts.h"

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallTextService();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
