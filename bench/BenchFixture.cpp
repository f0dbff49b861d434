#include "bench/BenchFixture.h"

#include <chrono>
#include <thread>

#include "core/ports/MessageBoxFlags.h"

namespace bh::bench {

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

int SilentUserInterface::MessageBox(const std::string&, const std::string&, unsigned flags) {
    ++messages;
    return (flags & kMbButtonMask) == kMbOk ? kIdOk : kIdYes;
}

int SilentUserInterface::Prompt(PromptRequest&) {
    return kIdCancel;
}

int SilentUserInterface::ChooseFromList(const std::string&, const std::string&,
                                        const std::vector<std::string>&) {
    return -1;
}

std::unique_ptr<ProgressIndicator> SilentUserInterface::CreateStatusProgress(const std::string&) {
    return std::make_unique<SilentProgress>();
}

ErrorCode LatencyFileSystem::GetAttributes(const std::string& path, FileAttributes& out) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return FileSystemWrapper::GetAttributes(path, out);
}

DocFixture::DocFixture(FileSystem& fileSystem) : DocFixture(fileSystem, cliShell_) {}

DocFixture::DocFixture(FileSystem& fileSystem, Shell& shell)
    : shell_(shell),
      services_{fileSystem, shell_, ui_, settings_, clock_, errors_},
      doc_(std::make_unique<CBrackenholdDoc>(services_, nullptr, kPosixCurrentFolder)) {}

DocFixture::~DocFixture() = default;

void DocFixture::FillWithoutQueries(const std::vector<ManagerRecord>& records) {
    std::vector<std::unique_ptr<CFileEntry>> entries;
    entries.reserve(records.size());
    const EntryStatus status;
    for (const ManagerRecord& record : records) {
        entries.push_back(std::make_unique<CFileEntry>(record.sourcePath, record.archivePath,
                                                       record.notes, shell_, status));
    }
    doc_->rows().Replace(std::move(entries));
}

}  // namespace bh::bench
