#include "cli/CliSession.h"

#include "cli/CliCommand.h"
#include "core/operations/ManagerFile.h"

namespace bh::cli {

CliSession::CliSession(ManagerLock* locks)
    : ownLocks_(locks ? nullptr : std::make_unique<NativeManagerLock>()),
      services_{fileSystem_,
                shell_,
                ui_,
                settings_,
                clock_,
                systemErrors_,
                locks ? locks : ownLocks_.get()},
      doc_(std::make_unique<CBrackenholdDoc>(services_, nullptr, CurrentFolderText())) {}

bool CliSession::Open(const std::string& path, EntryEvaluation evaluation) {
    const std::string absolute = AbsolutePath(path);
    ui_.SetSubject(absolute);
    return OpenDocumentFile(*doc_, absolute, evaluation);
}

}  // namespace bh::cli
