#include "gui/BrowseForFolder.h"

#include <QFileDialog>

namespace bh {
namespace {

bool ChooseWithFileDialog(QWidget* owner, const QString& start, const QString& title,
                          QString& out) {
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    out = chosen;
    return true;
}

FolderChooser& Chooser() {
    static FolderChooser chooser = ChooseWithFileDialog;
    return chooser;
}

}  // namespace

void SetFolderChooser(FolderChooser chooser) {
    Chooser() = chooser ? std::move(chooser) : FolderChooser(ChooseWithFileDialog);
}

bool BrowseForFolder(QWidget* owner, QString& folder, const QString& title) {
    QString chosen;
    if (!Chooser()(owner, folder, title, chosen) || chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}

}  // namespace bh
