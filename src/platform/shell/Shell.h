#pragma once
// The shell of this platform: web pages and the help viewer through the
// desktop's opener, the user's folders, the OS version and our own path.
// Tests replace the outward actions with a recorder (InstallBackend).
#include <functional>
#include <string>

#include "platform/Result.h"

namespace shell {

inline constexpr int CSIDL_MYVIDEO = 14;

struct OsVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // The "open" verb on a document or address. Above 32 is success.
    virtual int Open(const std::string& target) = 0;
    // Starts the help viewer on a page of the bundled help. Above 31 is success.
    virtual int StartHelpViewer(const std::string& page) = 0;
    // Whether the folder-path service is available at all.
    virtual bool HasFolderPathService() = 0;
    // A special folder by identifier; 0 on success. The videos folder is made when it
    // is missing; the home folder stands in when it cannot be; failure means no
    // writable folder at all.
    virtual HRESULT GetFolderPath(int folderId, std::string& path) = 0;
    virtual bool GetVersion(OsVersion& version) = 0;
};

// The real backend, or the one a test installed (null restores the real one).
Backend& CurrentBackend();
void InstallBackend(Backend* backend);

// The bundled help is a folder of HTML pages beside the program: a location
// "<folder>help.chm::/<page>" names the file <folder>help/<page>. Empty when the
// location has no such form or its page would lead out of the help folder.
std::string HelpPageFile(const std::string& location);

// Called, on the thread that watched it, when an opener that was taken as started
// gives up after all (a desktop without a browser may take seconds to say so),
// with the target it was given. An empty function stops the calls.
void SetLateOpenFailureHandler(std::function<void(const std::string& target)> handler);

inline int ShellOpen(const std::string& target) { return CurrentBackend().Open(target); }
inline int StartHelpViewer(const std::string& page) { return CurrentBackend().StartHelpViewer(page); }

// The executable's own path and its base name (the application name).
std::string ExecutablePath();
std::string ExecutableBaseName();
std::string ExecutableFolder();  // with a trailing separator
// The folder of the program's shared data (language/, help/): the installed
// place <prefix>/share/quorvel-converter/ seen from <prefix>/bin/, else the
// executable's own folder, as in a build tree. With a trailing separator.
std::string DataFolder();
std::string DataFolderOf(const std::string& executableFolder);
// Ctrl+C and termination requests become a flag that a long run polls, so
// that it can stop cleanly instead of dying half-way.
void CatchInterrupts();
bool InterruptRequested();
// Whether standard error is a terminal (a progress line can be redrawn there).
bool StandardErrorIsTerminal();
// The user's home folder.
std::string HomeFolder();

}  // namespace shell
