// The program's file dialogs: QFileDialog behind FileDialogService (platform/FileDialog.h).
#pragma once

#include "platform/FileDialog.h"

class QtFileDialogService : public FileDialogService {
public:
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
};
