#include "cli/CliSession.h"

#include "cli/CliCommand.h"
#include "cli/CliManagerLock.h"
#include "core/operations/ManagerFile.h"

namespace bh::cli {

CliSession::CliSession()
    : services_{fileSystem_, shell_, ui_, settings_, clock_, systemErrors_, &CliManagerLocks()},
      doc_(std::make_unique<CBrackenholdDoc>(services_, nullptr, CurrentFolderText())) {}

bool CliSession::Open(const std::string& path) {
    return OpenDocumentFile(*doc_, AbsolutePath(path));
}

}  // namespace bh::cli
