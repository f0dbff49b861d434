#pragma once

#include <memory>
#include <string>
#include <vector>

namespace bh {

enum class FileDialogKind { Open, Save };

// A file dialog as the commands design it. `filter` is in the "Name|pattern|...||" form.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    std::string filter;
    std::string initialFolder;
    std::string initialName;
    unsigned options = 0;  // OFN_ flags as designed (multi-select is 0x200)
};

// The dialog's answer. Not confirmed with errorCode 0 is a plain cancel; a non-zero
// errorCode is the dialog's own failure (CommDlgExtendedError).
struct FileDialogResult {
    bool confirmed = false;
    std::vector<std::string> paths;  // full paths, in the dialog's order
    unsigned errorCode = 0;
};

// The one-line prompt dialog: the caller fills the fields, the dialog returns kIdOk or
// kIdCancel and, on OK, the edited text in `text`.
struct PromptRequest {
    bool allowBrowse = false;
    unsigned editStyle = 0;
    std::string caption;
    std::string text;
};

// A progress bar in the status bar after a caption. Destroying it removes the bar.
class ProgressIndicator {
  public:
    virtual ~ProgressIndicator() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStep(int step) = 0;
    virtual void StepIt() = 0;
    virtual void SetPos(int pos) = 0;
    virtual int GetPos() const = 0;

    // Offers the user a way to stop the operation (a Cancel button beside the bar, Escape)
    // for as long as the indicator lives. Called by operations that can stop between two
    // files; a front end that cannot offer it does nothing.
    virtual void AllowCancel() {}
    // Whether the user asked to stop since AllowCancel. The operation then finishes the file
    // at hand and leaves the rest; a front end that cannot offer it never asks.
    virtual bool CancelRequested() const { return false; }
};

// Everything the core says to the user. Texts, captions, buttons and icons are decided by
// the core and shown verbatim.
class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // `flags` combines kMb... button, icon and default-button bits; returns a kId... answer.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    virtual FileDialogResult FileDialog(const FileDialogRequest& request) = 0;
    virtual int Prompt(PromptRequest& request) = 0;
    // A list of lines under `text` to pick one from: the index of the line picked, or -1
    // when the user cancelled (or a front end has nobody to ask).
    virtual int ChooseFromList(const std::string& text, const std::string& caption,
                               const std::vector<std::string>& items) = 0;
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Creates the status-bar progress bar after `caption`; where it goes is the front end's
    // layout. Never null: a front end without a status bar returns a silent one.
    virtual std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) = 0;
    // Shows the idle text "Ready" in the first status pane.
    virtual void ShowIdleMessage() = 0;
    // The document's title changed; the main frame's caption follows it.
    virtual void RefreshCaption(const std::string& title) = 0;
};

}  // namespace bh
