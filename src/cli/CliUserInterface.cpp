#include "cli/CliUserInterface.h"

#include <cstdio>
#include <string>
#include <utility>

#include "cli/TerminalText.h"
#include "core/ports/MessageBoxFlags.h"

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

// Draws the progress as one line on a terminal, rewritten in place.
class LineProgress : public ProgressIndicator {
  public:
    LineProgress(std::FILE* stream, std::string caption)
        : stream_(stream), caption_(std::move(caption)) {}
    ~LineProgress() override { std::fputs("\r\033[K", stream_); }
    void SetRange(int, int upper) override {
        upper_ = upper;
        Draw();
    }
    void SetStep(int step) override { step_ = step; }
    void StepIt() override {
        pos_ += step_;
        Draw();
    }
    void SetPos(int pos) override { pos_ = pos; }
    int GetPos() const override { return pos_; }

  private:
    // Redrawn once per percent, not per step: a terminal write per entry would slow a run
    // over 100,000 entries noticeably.
    void Draw() {
        const long long percent = upper_ > 0 ? 100LL * pos_ / upper_ : 100;
        if (percent == drawnPercent_ && pos_ != upper_) {
            return;
        }
        drawnPercent_ = percent;
        std::fprintf(stream_, "\r%s  %d/%d", TerminalText(caption_).c_str(), pos_, upper_);
        std::fflush(stream_);
    }

    std::FILE* stream_;
    std::string caption_;
    int pos_ = 0;
    int step_ = 1;
    int upper_ = 0;
    long long drawnPercent_ = -1;
};

}  // namespace

std::string OneLineMessage(const std::string& text) {
    std::string line;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        if (!line.empty()) {
            if (line.back() == '.') {
                line.pop_back();
            }
            line += ": ";
        }
        line += part;
    }
    return line;
}

CliUserInterface::CliUserInterface() : questionAnswer_(kIdNo) {}

int CliUserInterface::MessageBox(const std::string& text, const std::string&, unsigned flags) {
    ++messageBoxes_;
    // The caption is the program's name or the command's title: the line names the program and
    // the file instead, as every other error line of the command-line program does.
    const std::string subject = subject_.empty() ? "" : subject_ + ": ";
    std::fprintf(stderr, "brackenhold-cli: %s\n",
                 TerminalText(subject + OneLineMessage(text)).c_str());
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

int CliUserInterface::ChooseFromList(const std::string&, const std::string&,
                                     const std::vector<std::string>&) {
    return -1;  // the command line names what it wants in its arguments
}

std::unique_ptr<ProgressIndicator> CliUserInterface::CreateStatusProgress(
    const std::string& caption) {
    if (progressOutput_ != nullptr) {
        return std::make_unique<LineProgress>(progressOutput_, caption);
    }
    return std::make_unique<SilentProgress>();
}

}  // namespace bh::cli
