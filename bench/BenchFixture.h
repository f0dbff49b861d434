#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/CliSettingsStore.h"
#include "cli/CliShell.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "core/ports/Services.h"
#include "core/ports/UserInterface.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemErrors.h"

namespace bh::bench {

// A user interface that answers every question with "Yes" and draws nothing.
class SilentUserInterface : public UserInterface {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    FileDialogResult FileDialog(const FileDialogRequest&) override { return {}; }
    int Prompt(PromptRequest&) override;
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override;
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string&) override;
    void ShowIdleMessage() override {}
    void RefreshCaption(const std::string&) override {}
    int messages = 0;
};

// A file system whose every attribute query takes 1 ms longer, as a slow network folder's
// does, and that lets `concurrent` queries run at once.
class LatencyFileSystem : public FileSystemWrapper {
  public:
    LatencyFileSystem(FileSystem& inner, int concurrent)
        : FileSystemWrapper(inner), concurrent_(concurrent) {}
    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
    int ConcurrentQueries() const override { return concurrent_; }

  private:
    int concurrent_;
};

// The command-line program's ports around a document and plain rows, over a file system
// chosen by the benchmark.
class DocFixture {
  public:
    explicit DocFixture(FileSystem& fileSystem);
    // Over another shell (the desktop program's, with its type names and icons).
    DocFixture(FileSystem& fileSystem, Shell& shell);
    ~DocFixture();

    CBrackenholdDoc& doc() { return *doc_; }
    ManagerList& rows() { return doc_->rows(); }
    SilentUserInterface& ui() { return ui_; }

    // Entries for the records without looking at the disk, with their rows.
    void FillWithoutQueries(const std::vector<ManagerRecord>& records);

  private:
    cli::CliShell cliShell_;
    Shell& shell_;
    SilentUserInterface ui_;
    cli::CliSettingsStore settings_;
    PosixClock clock_;
    PosixSystemErrors errors_;
    Services services_;
    std::unique_ptr<CBrackenholdDoc> doc_;
};

}  // namespace bh::bench
