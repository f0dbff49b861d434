#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace bh {

// Shows a modal chooser that accepts file-system folders only, starting at `folder`. Returns
// true when a folder was chosen and then puts its full path into `folder`; on cancel `folder`
// is left as it was.
bool BrowseForFolder(QWidget* owner, QString& folder, const QString& title);

// The chooser BrowseForFolder shows. Tests replace it so that no modal window blocks them;
// an empty function restores the real chooser.
using FolderChooser =
    std::function<bool(QWidget* owner, const QString& start, const QString& title, QString& out)>;
void SetFolderChooser(FolderChooser chooser);

}  // namespace bh
