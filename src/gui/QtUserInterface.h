#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QPointer>
#include <QString>
#include <QStringList>

#include "core/ports/UserInterface.h"

class QStatusBar;
class QWidget;

namespace bh {

// The core's user interface shown with Qt: message boxes, file dialogs, the prompt dialog, the
// wait cursor and the status-bar progress. Texts arrive from the core and are shown verbatim.
class QtUserInterface : public UserInterface {
  public:
    // `owner` parents every dialog; null lets them float above the active window.
    explicit QtUserInterface(QWidget* owner = nullptr);
    ~QtUserInterface() override;

    void SetOwner(QWidget* owner);
    // The bar that carries the progress indicators; without one they are silent.
    void SetStatusBar(QStatusBar* statusBar);
    // Receives the idle text for the first status pane. Without a handler the text goes
    // straight to the status bar's first pane.
    void SetIdleTextHandler(std::function<void(const QString&)> handler);
    // Receives the document's title whenever it changes.
    void SetCaptionHandler(std::function<void(const QString&)> handler);

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    FileDialogResult FileDialog(const FileDialogRequest& request) override;
    int Prompt(PromptRequest& request) override;
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override;
    void ShowIdleMessage() override;
    void RefreshCaption(const std::string& title) override;

  private:
    QWidget* DialogParent() const;

    QPointer<QWidget> owner_;
    QPointer<QStatusBar> statusBar_;
    std::function<void(const QString&)> idleText_;
    std::function<void(const QString&)> caption_;
    int waitCursorDepth_ = 0;
};

// Name filters for a file dialog from the "Name|pattern|Name|pattern||" form. The visible
// names stay as written, except that "*.*", which outside Windows would match only names
// with a dot, becomes "*" (in the name too, where the name lists it), so that "All Files"
// shows every file. A name that does not list its patterns gets them appended.
QStringList NameFiltersFromPairs(const std::string& filter);

// OFN_ flags of a file dialog request.
constexpr unsigned kOfnOverwritePrompt = 0x2;
constexpr unsigned kOfnAllowMultiSelect = 0x200;

}  // namespace bh
