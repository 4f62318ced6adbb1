// GoogleTest with a Qt application on the offscreen platform, so that the real windows can be
// driven without a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Paginor");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
