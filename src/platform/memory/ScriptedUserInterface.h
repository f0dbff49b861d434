#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/ports/UserInterface.h"

namespace bh {

enum class UiCallKind {
    MessageBox,
    FileDialog,
    Prompt,
    ChooseFromList,
    Beep,
    BeginWait,
    EndWait,
    ProgressCreate,
    ProgressSetRange,
    ProgressSetStep,
    ProgressStep,
    ProgressSetPos,
    ProgressDestroy,
    Idle,
    Caption,
};

// One call the core made, with what it passed. `numbers` holds the integer arguments:
// ProgressSetRange {lower, upper};
// ProgressSetStep {step}; ProgressSetPos {pos}; ProgressStep {position after the step}.
// `text` is the message, the progress caption or the caption title (Caption); `answer` is
// what a message box or prompt returned; `unexpected` marks a call that needed an answer
// none was queued for.
struct UiCall {
    UiCallKind kind = UiCallKind::Beep;
    std::string text;
    std::string caption;
    unsigned flags = 0;
    FileDialogRequest fileDialog;
    PromptRequest prompt;  // as received, before the answer's text was filled in
    std::vector<int> numbers;
    std::vector<std::string> items;  // ChooseFromList's lines
    int answer = 0;
    bool unexpected = false;
};

// A user interface that records every call in order and plays back queued answers. A
// message box without a queued answer answers kIdOk when it has only an OK button;
// otherwise it answers kIdCancel and counts as unexpected, as do unanswered file dialogs
// (cancelled) and prompts (kIdCancel, text unchanged).
class ScriptedUserInterface : public UserInterface {
  public:
    ScriptedUserInterface();
    ~ScriptedUserInterface() override;

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

    void QueueMessageBoxAnswer(int answer);
    void QueueFileDialog(FileDialogResult result);
    // On kIdOk the prompt's text becomes `text`.
    void QueuePrompt(int answer, std::string text);
    // The index ChooseFromList answers (-1: cancelled); the call's `items` are recorded.
    void QueueChoice(int index);
    // Answers queued but not yet asked for (message boxes, file dialogs and prompts).
    int PendingAnswers() const;

    const std::vector<UiCall>& Calls() const { return calls_; }
    std::vector<UiCall> CallsOf(UiCallKind kind) const;
    int Count(UiCallKind kind) const;
    std::vector<UiCall> MessageBoxes() const;
    std::vector<UiCall> UnexpectedCalls() const;
    // The title of the last RefreshCaption, empty when there was none.
    std::string LastCaption() const;
    // Position of the most recently created progress indicator (kept after it is
    // destroyed); -1 when none was created.
    int LastProgressPos() const;
    void ClearCalls() { calls_.clear(); }

  private:
    class Progress;
    struct ProgressState;

    void Record(UiCallKind kind);

    std::vector<UiCall> calls_;
    std::deque<int> messageBoxAnswers_;
    std::deque<FileDialogResult> fileDialogs_;
    std::deque<std::pair<int, std::string>> prompts_;
    std::deque<int> choices_;
    std::shared_ptr<ProgressState> lastProgress_;
};

}  // namespace bh
