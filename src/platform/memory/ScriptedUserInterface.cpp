#include "platform/memory/ScriptedUserInterface.h"

#include <algorithm>

#include "core/ports/MessageBoxFlags.h"

namespace bh {

// Shared by the indicator and the interface, so the position outlives the indicator.
struct ScriptedUserInterface::ProgressState {
    int lower = 0;
    int upper = 100;
    int step = 10;
    int pos = 0;
};

// Behaves as the platform's progress bar: positions are kept within the range, and a step
// past the upper end starts over at the lower end.
class ScriptedUserInterface::Progress : public ProgressIndicator {
  public:
    Progress(std::vector<UiCall>& calls, std::shared_ptr<ProgressState> state)
        : calls_(calls), state_(std::move(state)) {}
    ~Progress() override { Record(UiCallKind::ProgressDestroy, {}); }

    void SetRange(int lower, int upper) override {
        state_->lower = lower;
        state_->upper = upper;
        state_->pos = std::clamp(state_->pos, lower, std::max(lower, upper));
        Record(UiCallKind::ProgressSetRange, {lower, upper});
    }
    void SetStep(int step) override {
        state_->step = step;
        Record(UiCallKind::ProgressSetStep, {step});
    }
    void StepIt() override {
        state_->pos += state_->step;
        if (state_->pos > state_->upper || state_->pos < state_->lower) {
            state_->pos = state_->lower;
        }
        Record(UiCallKind::ProgressStep, {state_->pos});
    }
    void SetPos(int pos) override {
        state_->pos = std::clamp(pos, state_->lower, std::max(state_->lower, state_->upper));
        Record(UiCallKind::ProgressSetPos, {pos});
    }
    int GetPos() const override { return state_->pos; }

  private:
    void Record(UiCallKind kind, std::vector<int> numbers) {
        UiCall call;
        call.kind = kind;
        call.numbers = std::move(numbers);
        calls_.push_back(std::move(call));
    }

    std::vector<UiCall>& calls_;
    std::shared_ptr<ProgressState> state_;
};

ScriptedUserInterface::ScriptedUserInterface() = default;

void ScriptedUserInterface::Record(UiCallKind kind) {
    UiCall call;
    call.kind = kind;
    calls_.push_back(std::move(call));
}
ScriptedUserInterface::~ScriptedUserInterface() = default;

int ScriptedUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                      unsigned flags) {
    UiCall call;
    call.kind = UiCallKind::MessageBox;
    call.text = text;
    call.caption = caption;
    call.flags = flags;
    if (!messageBoxAnswers_.empty()) {
        call.answer = messageBoxAnswers_.front();
        messageBoxAnswers_.pop_front();
    } else if ((flags & kMbButtonMask) == kMbOk) {
        call.answer = kIdOk;
    } else {
        call.answer = kIdCancel;
        call.unexpected = true;
    }
    calls_.push_back(call);
    return call.answer;
}

FileDialogResult ScriptedUserInterface::FileDialog(const FileDialogRequest& request) {
    UiCall call;
    call.kind = UiCallKind::FileDialog;
    call.fileDialog = request;
    call.text = request.title;
    FileDialogResult result;
    if (!fileDialogs_.empty()) {
        result = std::move(fileDialogs_.front());
        fileDialogs_.pop_front();
    } else {
        call.unexpected = true;
    }
    call.answer = result.confirmed ? kIdOk : kIdCancel;
    calls_.push_back(std::move(call));
    return result;
}

int ScriptedUserInterface::Prompt(PromptRequest& request) {
    UiCall call;
    call.kind = UiCallKind::Prompt;
    call.prompt = request;
    call.text = request.text;
    call.caption = request.caption;
    call.flags = request.editStyle;
    if (!prompts_.empty()) {
        call.answer = prompts_.front().first;
        if (call.answer == kIdOk) {
            request.text = std::move(prompts_.front().second);
        }
        prompts_.pop_front();
    } else {
        call.answer = kIdCancel;
        call.unexpected = true;
    }
    calls_.push_back(std::move(call));
    return calls_.back().answer;
}

int ScriptedUserInterface::ChooseFromList(const std::string& text, const std::string& caption,
                                          const std::vector<std::string>& items) {
    UiCall call;
    call.kind = UiCallKind::ChooseFromList;
    call.text = text;
    call.caption = caption;
    call.items = items;
    if (!choices_.empty()) {
        call.answer = choices_.front();
        choices_.pop_front();
    } else {
        call.answer = -1;
        call.unexpected = true;
    }
    calls_.push_back(std::move(call));
    return calls_.back().answer;
}

void ScriptedUserInterface::QueueChoice(int index) {
    choices_.push_back(index);
}

void ScriptedUserInterface::Beep() {
    Record(UiCallKind::Beep);
}

void ScriptedUserInterface::BeginWaitCursor() {
    Record(UiCallKind::BeginWait);
}

void ScriptedUserInterface::EndWaitCursor() {
    Record(UiCallKind::EndWait);
}

std::unique_ptr<ProgressIndicator> ScriptedUserInterface::CreateStatusProgress(
    const std::string& caption) {
    UiCall call;
    call.kind = UiCallKind::ProgressCreate;
    call.text = caption;
    calls_.push_back(std::move(call));
    lastProgress_ = std::make_shared<ProgressState>();
    return std::make_unique<Progress>(calls_, lastProgress_);
}

void ScriptedUserInterface::ShowIdleMessage() {
    Record(UiCallKind::Idle);
}

void ScriptedUserInterface::RefreshCaption(const std::string& title) {
    UiCall call;
    call.kind = UiCallKind::Caption;
    call.text = title;
    calls_.push_back(std::move(call));
}

void ScriptedUserInterface::QueueMessageBoxAnswer(int answer) {
    messageBoxAnswers_.push_back(answer);
}

void ScriptedUserInterface::QueueFileDialog(FileDialogResult result) {
    fileDialogs_.push_back(std::move(result));
}

void ScriptedUserInterface::QueuePrompt(int answer, std::string text) {
    prompts_.emplace_back(answer, std::move(text));
}

int ScriptedUserInterface::PendingAnswers() const {
    return static_cast<int>(messageBoxAnswers_.size() + fileDialogs_.size() + prompts_.size() +
                            choices_.size());
}

std::vector<UiCall> ScriptedUserInterface::CallsOf(UiCallKind kind) const {
    std::vector<UiCall> found;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
                 [kind](const UiCall& c) { return c.kind == kind; });
    return found;
}

int ScriptedUserInterface::Count(UiCallKind kind) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [kind](const UiCall& c) { return c.kind == kind; }));
}

std::vector<UiCall> ScriptedUserInterface::MessageBoxes() const {
    return CallsOf(UiCallKind::MessageBox);
}

std::vector<UiCall> ScriptedUserInterface::UnexpectedCalls() const {
    std::vector<UiCall> found;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
                 [](const UiCall& c) { return c.unexpected; });
    return found;
}

std::string ScriptedUserInterface::LastCaption() const {
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
        if (it->kind == UiCallKind::Caption) {
            return it->text;
        }
    }
    return {};
}

int ScriptedUserInterface::LastProgressPos() const {
    return lastProgress_ ? lastProgress_->pos : -1;
}

}  // namespace bh
