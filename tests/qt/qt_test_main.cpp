// One QApplication for all the tests of the program. Listing the tests needs
// no display, so the application is made only when tests run.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
