#include "TestEnv.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testenv {
namespace {

std::filesystem::path MakeUnique(const std::filesystem::path& parent, const std::string& stem) {
    static std::atomic<int> counter{0};
    for (;;) {
        auto candidate = parent / (stem + "-" + std::to_string(::getpid()) + "-" +
                                   std::to_string(counter++));
        if (std::filesystem::create_directories(candidate)) return candidate;
    }
}

}  // namespace

const std::filesystem::path& ProcessRoot() {
    static const std::filesystem::path root = [] {
        const char* base = std::getenv("QUORVEL_TEST_TMP");
        std::filesystem::path parent =
            base ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
        std::filesystem::create_directories(parent);
        return MakeUnique(parent, "run");
    }();
    return root;
}

TempDir::TempDir() : path_(MakeUnique(ProcessRoot(), "t")) {}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedRegistry::ScopedRegistry() : file_(dir_.path() / "user.reg") {
    if (const char* p = std::getenv("QUORVEL_REGISTRY")) previous_ = p;
    ::setenv("QUORVEL_REGISTRY", file_.c_str(), 1);
}

ScopedRegistry::~ScopedRegistry() {
    if (previous_.empty())
        ::unsetenv("QUORVEL_REGISTRY");
    else
        ::setenv("QUORVEL_REGISTRY", previous_.c_str(), 1);
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + file.string());
    out << bytes;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace testenv
