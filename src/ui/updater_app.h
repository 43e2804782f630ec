#pragma once

// The application object: runs the main window modally on the main thread; when it closes, the
// program ends. Needs the QApplication of main() to exist.
class CUpdaterApp {
 public:
  // Runs the main window until it is closed; returns false, as there is nothing more to run.
  bool InitInstance();
};

// The one application object of the process.
extern CUpdaterApp theApp;
