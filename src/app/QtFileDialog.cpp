#include "app/QtFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace {

QString filterText(const FileDialogRequest& request) {
    QStringList parts;
    for (const auto& [label, patterns] : request.filters)
        parts << QString::fromStdString(label) + " (" + QString::fromStdString(patterns) + ")";
    return parts.join(";;");
}

std::optional<std::string> run(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.filters.empty()) dialog.setNameFilter(filterText(request));
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const QString initial = QString::fromStdString(request.initialName);
    if (!initial.isEmpty() && !initial.contains('*')) dialog.selectFile(initial);
    dialog.setOption(QFileDialog::ReadOnly, mode == QFileDialog::AcceptOpen);
    if (request.executablesOnly) {
        // Programs are files the user may execute, whatever their name; the desktop's own dialog
        // cannot be told so, Qt's can.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialogService::openFile(const FileDialogRequest& request) {
    return run(request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtFileDialogService::saveFile(const FileDialogRequest& request) {
    return run(request, QFileDialog::AcceptSave);
}
