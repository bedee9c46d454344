#include "engine/Reporter.h"

#include <cstdio>

namespace engine {
namespace {

class StandardError : public Reporter {
public:
    void Say(Kind, const std::string& text, const std::string&) override {
        const bool ended = !text.empty() && text.back() == '\n';
        std::fprintf(stderr, "%s%s", text.c_str(), ended ? "" : "\n");
    }
    void OpenPage(const std::string& address) override {
        std::fprintf(stderr, "See %s\n", address.c_str());
    }
};

}  // namespace

Reporter& StandardErrorReporter() {
    static StandardError reporter;
    return reporter;
}

}  // namespace engine
