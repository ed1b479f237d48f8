// One QApplication for all the tests of the program. Listing the tests needs
// no display, so the application is made only when tests run.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

#if defined(__SANITIZE_ADDRESS__)
// Qt, fontconfig and Mesa keep allocations to the end of the process; the
// suppressions name them. They are read here too, since the test runner may
// pass on only part of the environment.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" VELTRA_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

// No library is unloaded while the tests run, so that a leak inside a driver
// that is unloaded at exit still carries the driver's name.
extern "C" int dlclose(void*) { return 0; }
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
