#pragma once

#include <cstdio>
#include <string>

#include "core/ports/UserInterface.h"

namespace bh::cli {

// A user interface without a user: messages go to stderr as one line naming the file they are
// about, questions get the answer the command chose beforehand, dialogs are cancelled and
// progress is silent.
class CliUserInterface : public UserInterface {
  public:
    CliUserInterface();

    // The answer given to every message box that offers more than an OK button.
    void SetQuestionAnswer(int answer) { questionAnswer_ = answer; }
    int MessageBoxCount() const { return messageBoxes_; }
    // The file (as a rule the manager) that messages are about, named at the start of each.
    void SetSubject(const std::string& path) { subject_ = path; }
    // When set, progress is drawn on `stream` as one line ("caption  pos/total") that is
    // rewritten in place and erased when the progress ends; null (the default) is silent.
    void SetProgressOutput(std::FILE* stream) { progressOutput_ = stream; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    FileDialogResult FileDialog(const FileDialogRequest& request) override;
    int Prompt(PromptRequest& request) override;
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override;
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override;
    void ShowIdleMessage() override {}
    void RefreshCaption(const std::string&) override {}

  private:
    int questionAnswer_;
    int messageBoxes_ = 0;
    std::FILE* progressOutput_ = nullptr;
    std::string subject_;
};

// A message box's text as one line: its paragraphs and lines joined with ": ", each without
// the full stop it ended with ("Failed to open document.\n\nNo such file or directory" gives
// "Failed to open document: No such file or directory").
std::string OneLineMessage(const std::string& text);

}  // namespace bh::cli
