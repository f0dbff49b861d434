#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/ports/UserInterface.h"

namespace bh {

// Passes everything to the user interface it wraps and reports each new title (which every
// change of the modified flag and the path makes) after it was shown.
class TitleWatchingUi : public UserInterface {
  public:
    TitleWatchingUi(UserInterface& inner, std::function<void()> titleChanged)
        : inner_(inner), titleChanged_(std::move(titleChanged)) {}

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        return inner_.MessageBox(text, caption, flags);
    }
    FileDialogResult FileDialog(const FileDialogRequest& request) override {
        return inner_.FileDialog(request);
    }
    int Prompt(PromptRequest& request) override { return inner_.Prompt(request); }
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override {
        return inner_.ChooseFromList(text, caption, items);
    }
    void Beep() override { inner_.Beep(); }
    void BeginWaitCursor() override { inner_.BeginWaitCursor(); }
    void EndWaitCursor() override { inner_.EndWaitCursor(); }
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override {
        return inner_.CreateStatusProgress(caption);
    }
    void ShowIdleMessage() override { inner_.ShowIdleMessage(); }
    void RefreshCaption(const std::string& title) override {
        inner_.RefreshCaption(title);
        if (titleChanged_) {
            titleChanged_();
        }
    }

  private:
    UserInterface& inner_;
    std::function<void()> titleChanged_;
};

}  // namespace bh
