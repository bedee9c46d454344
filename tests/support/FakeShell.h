#pragma once
// A shell whose outward actions are recorded and whose answers tests choose.
#include <string>
#include <vector>

#include "TestEnv.h"
#include "platform/shell/Shell.h"

class FakeShell : public shell::Backend {
public:
    FakeShell() { shell::InstallBackend(this); }
    ~FakeShell() override { shell::InstallBackend(nullptr); }

    bool versionReadable = true;
    int major = 10;
    bool folderService = true;
    HRESULT folderResult = S_OK;
    // Inside the test's own area: Options makes the output folder when it is missing.
    std::string videoFolder = (testenv::ProcessRoot() / "videos").string();
    int foldersAsked = 0;
    std::vector<std::string> opened;
    std::vector<std::string> helpPages;
    int openResult = 42;
    int helpResult = 33;

    int Open(const std::string& target) override {
        opened.push_back(target);
        return openResult;
    }
    int StartHelpViewer(const std::string& page) override {
        helpPages.push_back(page);
        return helpResult;
    }
    bool HasFolderPathService() override { return folderService; }
    HRESULT GetFolderPath(int, std::string& path) override {
        ++foldersAsked;
        if (folderResult == S_OK) path = videoFolder;
        return folderResult;
    }
    bool GetVersion(shell::OsVersion& version) override {
        version = shell::OsVersion{major, 0, 0};
        return versionReadable;
    }
};
