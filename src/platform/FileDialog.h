// Open and save file dialogs behind a small interface, so that code which asks the user for a file
// runs the same in the program (a QFileDialog, installed at start) and in tests (scripted answers).
//
// Plain C++; the installed service is called on the UI thread only.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct FileDialogRequest {
    std::string title;                                          // "" for the platform's own
    std::vector<std::pair<std::string, std::string>> filters;   // (label, "*.png *.PNG"), first is the default
    std::string defaultExtension;                               // without the dot: "png"
    std::string initialName;                                    // file name or folder to start with
    bool executablesOnly = false;                               // list only files the user may execute
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen file's full path, or nothing when the user cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    // The chosen file's full path (the default extension added when the name has none), or nothing.
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
};

namespace detail {
struct FileDialogRegistry {
    std::mutex mutex;
    std::shared_ptr<FileDialogService> service;
    static FileDialogRegistry& instance() {
        static FileDialogRegistry registry;
        return registry;
    }
};
}  // namespace detail

// nullptr installs nothing: every dialog then answers "cancelled".
inline void setFileDialogService(std::shared_ptr<FileDialogService> service) {
    auto& r = detail::FileDialogRegistry::instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.service = std::move(service);
}

inline std::shared_ptr<FileDialogService> fileDialogService() {
    auto& r = detail::FileDialogRegistry::instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.service;
}

inline std::optional<std::string> askOpenFile(const FileDialogRequest& request) {
    const auto service = fileDialogService();
    return service ? service->openFile(request) : std::nullopt;
}

inline std::optional<std::string> askSaveFile(const FileDialogRequest& request) {
    const auto service = fileDialogService();
    return service ? service->saveFile(request) : std::nullopt;
}
