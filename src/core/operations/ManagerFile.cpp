#include "core/operations/ManagerFile.h"

#include "core/base/ErrorText.h"
#include "core/base/ProgressScope.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerEncoder.h"
#include "core/operations/ManagerGuard.h"
#include "core/operations/SharedArchives.h"
#include "core/operations/StatusQueryPool.h"
#include "core/ports/Clock.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

constexpr const char* kOpenCaption = "Open Backup Manager";

std::string FailureText(const char* what, const std::string& reason) {
    return std::string(what) + "\n\n" + reason;
}

// The settings beside a manager just opened. One that cannot be read is reported and left
// as it is on the disk (the defaults serve until the user changes a setting), so that a
// passing read failure never overwrites the user's choice.
void OpenManagerOptions(CBrackenholdDoc& doc, const std::string& path) {
    Services& services = doc.services();
    ManagerOptions options;
    std::string problem;
    if (const ErrorCode error = ReadManagerOptions(services.fileSystem, path, options, problem)) {
        SetLastError(error);
        problem = GetLastErrorText(services.systemErrors);
    }
    doc.SetOpenedOptions(options);
    if (!problem.empty()) {
        services.ui.MessageBox(FailureText(kOptionsUnreadableText, problem), kAppName,
                               kMbOk | kMbIconExclamation);
    }
}

// Writes the settings when they changed, or when the manager was saved under another path
// (the settings go with it, and a settings file left there by another manager goes).
bool SaveManagerOptions(CBrackenholdDoc& doc, const std::string& path) {
    if (!doc.OptionsChanged() && path == doc.PathName()) {
        return true;
    }
    Services& services = doc.services();
    if (const ErrorCode error = WriteManagerOptions(services.fileSystem, path, doc.Options())) {
        SetLastError(error);
        services.ui.MessageBox(
            FailureText(kOptionsSaveFailedText, GetLastErrorText(services.systemErrors)), kAppName,
            kMbOk | kMbIconExclamation);
        return false;
    }
    doc.SetOptionsWritten();
    return true;
}

}  // namespace

ManagerLoad LoadManagerFile(Services& services, const std::string& path,
                            EntryEvaluation evaluation) {
    ManagerLoad load;
    std::string bytes;
    if (const ErrorCode error = services.fileSystem.ReadAll(path, bytes)) {
        return FailedLoad(services, ManagerReadStatus::ReadFailed, error);
    }
    if (bytes.empty()) {
        return load;
    }
    ManagerReadResult parsed = DecodeManager(bytes);
    // Frees the file's bytes before the entries are made (assigning an empty string would
    // keep the buffer).
    std::string().swap(bytes);
    if (parsed.status != ManagerReadStatus::Ok) {
        return FailedLoad(services, parsed.status, kNoError);
    }
    if (parsed.records.empty()) {
        services.ui.ShowIdleMessage();
        return load;
    }
    ProgressScope progress(services.ui, kLocatingCaption, static_cast<int>(parsed.records.size()));
    load.entries.reserve(parsed.records.size());
    const bool evaluate = evaluation == EntryEvaluation::Evaluate;
    std::unique_ptr<StatusQueryPool> pool =
        evaluate ? StartRecordQueries(services.fileSystem, parsed.records) : nullptr;
    for (std::size_t i = 0; i < parsed.records.size(); ++i) {
        ManagerRecord& record = parsed.records[i];
        if (!evaluate) {
            load.entries.push_back(std::make_unique<CFileEntry>(
                std::move(record.sourcePath), std::move(record.archivePath),
                std::move(record.notes), services.shell, CFileEntry::NotEvaluated{}));
        } else if (pool) {
            // The worker is done with the record's paths once its result is known.
            const EntryStatus& status = pool->Result(i);
            load.entries.push_back(std::make_unique<CFileEntry>(
                std::move(record.sourcePath), std::move(record.archivePath),
                std::move(record.notes), services.shell, status));
        } else {
            load.entries.push_back(std::make_unique<CFileEntry>(
                std::move(record.sourcePath), std::move(record.archivePath),
                std::move(record.notes), services.shell, services.fileSystem));
        }
        progress.Step();
    }
    return load;
}

ManagerLoad FailedLoad(const Services& services, ManagerReadStatus status, ErrorCode readError) {
    ManagerLoad load;
    switch (status) {
        case ManagerReadStatus::ReadFailed:
            load.status = ManagerLoad::Status::ReadFailed;
            SetLastError(readError);
            load.reason = GetLastErrorText(services.systemErrors);
            return load;
        case ManagerReadStatus::NotManager:
            load.status = ManagerLoad::Status::NotManager;
            return load;
        case ManagerReadStatus::Truncated:
            load.status = ManagerLoad::Status::Truncated;
            break;
        case ManagerReadStatus::Ok:
        case ManagerReadStatus::Corrupt:
        case ManagerReadStatus::Trailing:
            load.status = ManagerLoad::Status::Corrupt;
            break;
    }
    load.reason = ManagerReadReason(status);
    return load;
}

void ShowOpenFailure(UserInterface& ui, const ManagerLoad& load) {
    if (load.status == ManagerLoad::Status::NotManager) {
        ui.MessageBox(kNotManagerText, kOpenCaption, kMbOk | kMbIconHand);
    } else {
        ui.MessageBox(FailureText(kOpenFailedText, load.reason), kAppName,
                      kMbOk | kMbIconExclamation);
    }
}

bool OpenDocumentFile(CBrackenholdDoc& doc, const std::string& path, EntryEvaluation evaluation) {
    UserInterface& ui = doc.services().ui;
    ManagerLoad load = LoadManagerFile(doc.services(), path, evaluation);
    const std::int64_t evaluatedAt = doc.services().clock.SteadyMilliseconds();
    if (load.status != ManagerLoad::Status::Ok) {
        ShowOpenFailure(ui, load);
        return false;
    }
    doc.rows().Replace(std::move(load.entries));
    doc.SetModifiedFlag(false);
    doc.SetPathName(path);
    OpenManagerOptions(doc, path);
    doc.InitialUpdate();
    // Shared archives are problems from the first look, not only after the first refresh.
    MarkSharedArchives(doc.rows());
    if (evaluation == EntryEvaluation::Evaluate) {
        doc.evaluation().Record(evaluatedAt);
    }
    return true;
}

bool SaveDocumentFile(CBrackenholdDoc& doc, const std::string& path) {
    Services& services = doc.services();
    // Every save holds the lock, whichever command saves: another program must never write
    // the same manager at the same time. Holds nest, so a command that locked already goes on.
    std::unique_ptr<ManagerLockHold> hold;
    if (services.managerLock != nullptr &&
        !LockForCommand(services.ui, services.systemErrors, *services.managerLock, path, hold)) {
        return false;
    }
    bool written = false;
    std::string reason;
    {
        ProgressScope progress(services.ui, kSavingCaption, doc.rows().Count());
        ManagerEncoder encoder(doc.rows(), [&progress] { progress.Step(); });
        const ErrorCode error = services.fileSystem.WriteAtomicallyFrom(
            path, [&encoder](std::string& chunk) { return encoder.Next(chunk); });
        written = !error;
        if (!written) {
            SetLastError(error);
            reason = GetLastErrorText(services.systemErrors);
        }
    }
    if (!written) {
        services.ui.MessageBox(FailureText(kSaveFailedText, reason), kAppName,
                               kMbOk | kMbIconExclamation);
        return false;
    }
    // The manager itself is saved whatever becomes of its settings; settings that could not be
    // written keep the document modified, so that the next save or the close tries again.
    doc.SetModifiedFlag(!SaveManagerOptions(doc, path));
    return true;
}

}  // namespace bh
