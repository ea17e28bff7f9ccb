#include "framework/UFolderDialog.h"

#include <QApplication>
#include <QFileDialog>

namespace {

std::optional<std::string> ChooseWithDesktop(const std::string& title, const std::string& startFolder)
{
    QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), QString::fromStdString(title), QString::fromStdString(startFolder));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

UFolderDialog::Chooser& CurrentChooser()
{
    static UFolderDialog::Chooser chooser = ChooseWithDesktop;
    return chooser;
}

}

std::optional<std::string> UFolderDialog::ChooseFolder(const std::string& title, const std::string& startFolder)
{
    return CurrentChooser()(title, startFolder);
}

void UFolderDialog::SetChooser(Chooser chooser)
{
    CurrentChooser() = chooser ? std::move(chooser) : Chooser(ChooseWithDesktop);
}
