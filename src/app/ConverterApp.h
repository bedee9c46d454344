#pragma once
#include <string>

namespace app {

// The application object: roots the settings, loads the language and runs the main window.
class ConverterApp {
public:
    // Runs the whole program; returns false so the process ends when the window has ended.
    // A non-empty `startFile` is opened once the window is up, as Open Video would.
    bool InitInstance(const std::string& startFile = {});
};

}  // namespace app
