#pragma once

#include <memory>
#include <string>

#include "cli/CliPlatform.h"
#include "cli/CliSettingsStore.h"
#include "cli/CliShell.h"
#include "cli/CliUserInterface.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/Services.h"

namespace bh::cli {

// The ports and the document one command works on.
class CliSession {
  public:
    // Works with the platform's manager locks, owned by the session, or with `locks` when
    // given (tests).
    explicit CliSession(ManagerLock* locks = nullptr);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens the manager at `path` (made absolute); on failure the designed message has been
    // printed to stderr. Messages of the core name this manager from now on. A command that
    // shows no entry's status opens with EntryEvaluation::Skip and makes no query for them.
    bool Open(const std::string& path, EntryEvaluation evaluation = EntryEvaluation::Evaluate);

    // -q: only failures are printed; -v: one line per file acted on.
    void SetOutputLevel(bool quiet, bool verbose) {
        quiet_ = quiet;
        verbose_ = verbose;
    }
    bool quiet() const { return quiet_; }
    bool verbose() const { return verbose_; }

    Services& services() { return services_; }
    CliUserInterface& ui() { return ui_; }
    ManagerList& rows() { return doc_->rows(); }
    CBrackenholdDoc& doc() { return *doc_; }

  private:
    std::unique_ptr<ManagerLock> ownLocks_;
    NativeFileSystem fileSystem_;
    CliShell shell_;
    CliUserInterface ui_;
    CliSettingsStore settings_;
    NativeClock clock_;
    NativeSystemErrors systemErrors_;
    Services services_;
    std::unique_ptr<CBrackenholdDoc> doc_;
    bool quiet_ = false;
    bool verbose_ = false;
};

}  // namespace bh::cli
