#include "cli/CliListing.h"

#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "cli/ListingWriter.h"
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

}  // namespace

int WriteListing(CliSession& session, const std::string& manager, bool json, std::int32_t dateMode,
                 bool* allUpToDate) {
    Services& services = session.services();
    ListingWriter writer(stdout, json ? ListingWriter::Form::Json : ListingWriter::Form::Text,
                         services.clock, services.systemErrors);
    bool begun = false;
    const ManagerStreamResult result =
        StreamManagerFile(services, AbsolutePath(manager), dateMode, kListingBatch,
                          [&writer, &begun](ManagerList& batch, std::size_t firstRow) {
                              // Nothing is written before the manager is known to be sound.
                              if (!begun && !writer.Begin()) {
                                  return false;
                              }
                              begun = true;
                              return writer.AddRows(batch, firstRow);
                          });
    if (result == ManagerStreamResult::OpenFailed) {
        return kExitUsage;
    }
    if (result == ManagerStreamResult::Stopped || (!begun && !writer.Begin()) || !writer.End()) {
        return OutputFailed(writer, services);
    }
    if (allUpToDate != nullptr) {
        *allUpToDate = writer.AllUpToDate();
    }
    return kExitOk;
}

}  // namespace bh::cli
