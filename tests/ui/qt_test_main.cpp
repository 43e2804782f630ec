// main() of the window tests: one QApplication for the whole run, offscreen unless the caller
// chose a platform.
#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_THREAD__)
// Qt is not built with ThreadSanitizer: it cannot see Qt's own synchronisation, so what Qt's
// libraries allocate, copy and free on their own threads (the raster paint pool, queued
// events, the GLib event loop of each Qt thread) would read as races. Our code that Qt calls is
// still checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n"
         "called_from_lib:libglib-2.0.so.0\n";
}
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
