#include "cli/CliUserInterface.h"

#include <cstdio>

#include "core/app/MessageBoxFlags.h"

namespace bh::cli {

namespace {

class SilentProgress : public ProgressIndicator {
  public:
    void SetRange(int, int) override {}
    void SetStep(int step) override { step_ = step; }
    void StepIt() override { pos_ += step_; }
    void SetPos(int pos) override { pos_ = pos; }
    int GetPos() const override { return pos_; }

  private:
    int pos_ = 0;
    int step_ = 1;
};

}  // namespace

CliUserInterface::CliUserInterface() : questionAnswer_(kIdNo) {}

int CliUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
    ++messageBoxes_;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (flags & kMbButtonMask) {
        case kMbOk:
            return kIdOk;
        default:
            return questionAnswer_;
    }
}

FileDialogResult CliUserInterface::FileDialog(const FileDialogRequest&) {
    return {};
}

int CliUserInterface::Prompt(PromptRequest&) {
    return kIdCancel;
}

std::unique_ptr<ProgressIndicator> CliUserInterface::CreateStatusProgress(const std::string&, int,
                                                                          int, int, int) {
    return std::make_unique<SilentProgress>();
}

}  // namespace bh::cli
