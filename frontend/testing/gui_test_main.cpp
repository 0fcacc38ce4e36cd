// Entry of the GUI test programs: one QApplication for all tests of a program, on Qt's
// offscreen platform unless the caller chose another, so the tests run without a display (and
// so does ctest's listing of them at build time).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
