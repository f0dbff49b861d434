#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/ports/Services.h"

namespace bh {

class ManagerList;

enum class ManagerStreamResult {
    Done,        // every entry was handed over
    OpenFailed,  // the file could not be read or is not a sound manager; the message was shown
    Stopped,     // the batch callback asked to stop
};

// Takes one batch of evaluated entries, in a list of their own in the manager's order, and the
// row (from 0) of its first entry in the manager. Returns false to stop.
using ManagerBatchFn = std::function<bool(ManagerList& batch, std::size_t firstRow)>;

// Reads the manager at `path` as LoadManagerFile would and hands its entries over in batches
// of at most `batchSize`, evaluated (on the status query pool) and with their shared archives
// marked as after OpenDocumentFile, without holding more than a batch of them. The whole file
// is checked before the first batch, so that a damaged or foreign manager fails with the
// designed message, shown through the user interface, before anything is handed over. The
// batches' lists have the date mode `dateMode`.
ManagerStreamResult StreamManagerFile(Services& services, const std::string& path,
                                      std::int32_t dateMode, std::size_t batchSize,
                                      const ManagerBatchFn& onBatch);

}  // namespace bh
