#include "platform/shell/Shell.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "ProgramInfo.h"

extern char** environ;

namespace shell {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::mutex g_lateFailureMutex;
std::function<void(const std::string&)> g_lateFailure;

void ReportLateFailure(const std::string& target) {
    std::lock_guard lock(g_lateFailureMutex);
    if (g_lateFailure) g_lateFailure(target);
}

// Runs the desktop opener detached. The reply means "started": a missing opener,
// or one that gives up within the first second (no browser, no handler), is a
// failure, so the caller can show the page another way; one still running then
// (a browser kept in the foreground) counts as started.
int Spawn(const std::string& program, const std::string& argument) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()),
                    nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    // The opener and the browser it starts outlive us: they must not hold our standard
    // streams, or whoever reads them waits for the browser after we have gone.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid, program.c_str(), &files, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return 2;  // file not found
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    do {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 42 : 2;
        if (done < 0) return 42;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    // Reap in the background so no zombie stays behind, and tell of a late failure.
    std::thread([pid, argument] {
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            ReportLateFailure(argument);
    }).detach();
    return 42;
}

// XDG user folder from user-dirs.dirs, "$HOME/..." expanded.
std::string XdgUserDir(const std::string& key, const std::string& fallback) {
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty()) config = HomeFolder() + "/.config";
    const std::string file = config + "/user-dirs.dirs";
    // Only a regular file: opening a FIFO for reading would wait for a writer.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return fallback;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
        return value;
    }
    return fallback;
}

class RealBackend : public Backend {
public:
    int Open(const std::string& target) override { return Spawn("xdg-open", target); }
    int StartHelpViewer(const std::string& page) override {
        // The desktop's viewer for HTML pages stands in for the compiled-help viewer.
        const std::string file = HelpPageFile(page);
        std::error_code ec;
        if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return 2;
        return Spawn("xdg-open", file) > 32 ? 33 : 2;
    }
    bool HasFolderPathService() override { return true; }
    HRESULT GetFolderPath(int folderId, std::string& path) override {
        if (folderId != CSIDL_MYVIDEO) return E_INVALIDARG;
        const std::string home = HomeFolder();
        if (home.empty()) return E_FAIL;
        // A fresh account has no videos folder yet: make it, as the desktop would, or
        // settle for the home folder when it cannot be made.
        for (const std::string& folder : {XdgUserDir("XDG_VIDEOS_DIR", home + "/Videos"), home}) {
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            if (std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0) {
                path = folder;
                return S_OK;
            }
        }
        return E_FAIL;
    }
    bool GetVersion(OsVersion& version) override {
        // Report a current desktop so the version-dependent branches take the modern road.
        version = OsVersion{10, 0, 19045};
        return true;
    }
};

RealBackend g_real;
Backend* g_backend = nullptr;

}  // namespace

void SetLateOpenFailureHandler(std::function<void(const std::string& target)> handler) {
    std::lock_guard lock(g_lateFailureMutex);
    g_lateFailure = std::move(handler);
}

Backend& CurrentBackend() { return g_backend ? *g_backend : g_real; }
void InstallBackend(Backend* backend) { g_backend = backend; }

std::string ExecutablePath() {
    std::error_code ec;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string ExecutableBaseName() {
    return std::filesystem::path(ExecutablePath()).stem().string();
}

std::string ExecutableFolder() {
    const std::string folder = std::filesystem::path(ExecutablePath()).parent_path().string();
    return folder.empty() ? std::string("./") : folder + "/";
}

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }
}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool InterruptRequested() { return g_interrupted != 0; }

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::string DataFolderOf(const std::string& executableFolder) {
    std::error_code ec;
    const auto installed =
        (std::filesystem::path(executableFolder) / program::kDataFolderFromProgram).lexically_normal();
    if (std::filesystem::is_directory(installed, ec)) {
        std::string folder = installed.string();
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    return executableFolder;
}

std::string DataFolder() { return DataFolderOf(ExecutableFolder()); }

std::string HelpPageFile(const std::string& location) {
    static const std::string kMarker = "help.chm::/";
    const std::size_t at = location.rfind(kMarker);
    if (at == std::string::npos) return {};
    const std::string page = location.substr(at + kMarker.size());
    if (page.empty() || page.front() == '/') return {};
    for (const auto& part : std::filesystem::path(page))
        if (part == "..") return {};
    return location.substr(0, at) + "help/" + page;
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (home.empty())
        if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
    return home;
}

}  // namespace shell
