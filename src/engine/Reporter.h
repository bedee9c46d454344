#pragma once
// Whoever hears what a conversion has to say. The window shows each message as
// the box it has always shown, the queue writes it into the job's row, the
// command line prints it on standard error; the engine itself shows nothing.
// A reporter is called on the thread that drives its conversion.
#include <string>

namespace engine {

class Reporter {
public:
    // The kinds of message the procedures have, named after the box the window
    // shows each in.
    enum class Kind {
        Window,       // owned by the window, with the caption given ("Error")
        Application,  // the application's name as caption, OK, exclamation icon
        Unowned,      // no owner, with the caption given
        Formatted,    // no owner, captioned "Message"; the text ends in a line feed
    };
    virtual ~Reporter() = default;
    // `caption` matters to the Window and Unowned kinds only.
    virtual void Say(Kind kind, const std::string& text, const std::string& caption) = 0;
    // A page where what is missing (a multiplexer) can be had.
    virtual void OpenPage(const std::string& address) = 0;
};

// For a conversion or catalogue walk nobody listens to: each message as a line
// on standard error.
Reporter& StandardErrorReporter();

}  // namespace engine
