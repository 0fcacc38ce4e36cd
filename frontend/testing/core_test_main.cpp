// Entry of the test programs that need Qt's event machinery but no window (QProcess, the
// platform's own timers): one QCoreApplication for all tests of a program.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
