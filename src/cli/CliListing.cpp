#include "cli/CliListing.h"

#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "cli/ListingWriter.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/operations/ManagerStream.h"

namespace bh::cli {

namespace {

// Entries evaluated and written at a time: enough to keep the status query pool busy, few
// enough that a batch's rows and texts take a few megabytes.
constexpr std::size_t kListingBatch = 4096;

int OutputFailed(const ListingWriter& writer, const Services& services) {
    PrintFileFailure("standard output", writer.WriteError(), services.systemErrors);
    return kExitOutput;
}

bool AllRowsUpToDate(const ManagerList& batch) {
    for (int row = 0; row < batch.Count(); ++row) {
        if (batch.Entry(row).state != EntryState::UpToDate) {
            return false;
        }
    }
    return true;
}

}  // namespace

int WriteListing(CliSession& session, const ListingRequest& request, bool* allUpToDate) {
    Services& services = session.services();
    ListingWriter writer(stdout,
                         request.json ? ListingWriter::Form::Json : ListingWriter::Form::Text,
                         services.clock, services.systemErrors);
    bool begun = !request.print;
    bool upToDate = true;
    const auto onBatch = [&](ManagerList& batch, std::size_t firstRow) {
        upToDate = upToDate && AllRowsUpToDate(batch);
        if (request.reportProblems) {
            PrintEntryProblems(batch, services.systemErrors);
        }
        if (!request.print) {
            return true;
        }
        // Nothing is written before the manager is known to be sound.
        if (!begun && !writer.Begin()) {
            return false;
        }
        begun = true;
        return writer.AddRows(batch, firstRow);
    };
    const std::string manager = AbsolutePath(request.manager);
    session.ui().SetSubject(manager);
    const ManagerStreamResult result =
        StreamManagerFile(services, manager, request.dateMode, kListingBatch, onBatch);
    if (result == ManagerStreamResult::OpenFailed) {
        return kExitUsage;
    }
    if (result == ManagerStreamResult::Stopped ||
        (request.print && ((!begun && !writer.Begin()) || !writer.End()))) {
        return OutputFailed(writer, services);
    }
    if (allUpToDate != nullptr) {
        *allUpToDate = upToDate;
    }
    return kExitOk;
}

}  // namespace bh::cli
