#include <QCoreApplication>
#include <gtest/gtest.h>

// The test binaries of the libraries below the windows run without a window system.
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
