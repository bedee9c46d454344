#pragma once

namespace app {

// The application object: roots the settings, loads the language and runs the main window.
class ConverterApp {
public:
    // Runs the whole program; returns false so the process ends when the window has ended.
    bool InitInstance();
};

}  // namespace app
