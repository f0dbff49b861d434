#include "core/operations/VerifyContents.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "core/ports/FileReader.h"
#include "core/ports/FileSystem.h"

namespace bh {

namespace {

bool SameVersion(const FileAttributes& before, const FileAttributes& after) {
    return before.size == after.size && before.lastWriteSeconds == after.lastWriteSeconds &&
           before.lastWriteFine == after.lastWriteFine && before.device == after.device &&
           before.inode == after.inode;
}

ContentsComparison Failed(ContentsVerdict verdict, ErrorCode error) {
    return ContentsComparison{verdict, error};
}

// One pair of files compared, with the two buffers that every attempt reuses.
class Comparison {
  public:
    Comparison(FileSystem& fileSystem, const std::string& source, const std::string& archive)
        : fileSystem_(fileSystem), source_(source), archive_(archive) {}

    ContentsComparison Run() {
        for (int attempt = 0; attempt < kCompareTries; ++attempt) {
            if (const std::optional<ContentsComparison> done = Attempt()) {
                return *done;
            }
        }
        return ContentsComparison{ContentsVerdict::Changing, kErrorChangedWhileCompared};
    }

  private:
    // The verdict, or nothing when a file changed while it was read.
    std::optional<ContentsComparison> Attempt() {
        FileAttributes sourceBefore;
        FileAttributes archiveBefore;
        if (const ErrorCode error = fileSystem_.GetAttributes(source_, sourceBefore)) {
            return Failed(ContentsVerdict::SourceFailed, error);
        }
        if (const ErrorCode error = fileSystem_.GetAttributes(archive_, archiveBefore)) {
            return Failed(ContentsVerdict::ArchiveFailed, error);
        }
        if (sourceBefore.size != archiveBefore.size) {
            return ContentsComparison{ContentsVerdict::Differ, kNoError};
        }
        std::unique_ptr<FileReader> source;
        std::unique_ptr<FileReader> archive;
        if (const ErrorCode error = fileSystem_.OpenForReading(source_, source)) {
            return Failed(ContentsVerdict::SourceFailed, error);
        }
        if (const ErrorCode error = fileSystem_.OpenForReading(archive_, archive)) {
            return Failed(ContentsVerdict::ArchiveFailed, error);
        }
        // A file replaced between the look and the open is another version than the one
        // looked at.
        if (source->Size() != sourceBefore.size || archive->Size() != archiveBefore.size) {
            return std::nullopt;
        }
        const ContentsComparison verdict = Compare(*source, *archive);
        if (verdict.verdict == ContentsVerdict::SourceFailed ||
            verdict.verdict == ContentsVerdict::ArchiveFailed) {
            return verdict;
        }
        if (!Unchanged(source_, sourceBefore) || !Unchanged(archive_, archiveBefore)) {
            return std::nullopt;
        }
        return verdict;
    }

    ContentsComparison Compare(FileReader& source, FileReader& archive) {
        // Both sizes are the one the looks found alike.
        const std::uint64_t size = source.Size();
        for (std::uint64_t offset = 0; offset < size; offset += kCompareChunkBytes) {
            if (const ErrorCode error = source.ReadAt(offset, kCompareChunkBytes, sourceBytes_)) {
                return Failed(ContentsVerdict::SourceFailed, error);
            }
            if (const ErrorCode error = archive.ReadAt(offset, kCompareChunkBytes, archiveBytes_)) {
                return Failed(ContentsVerdict::ArchiveFailed, error);
            }
            if (sourceBytes_ != archiveBytes_) {
                return ContentsComparison{ContentsVerdict::Differ, kNoError};
            }
            if (sourceBytes_.empty()) {
                break;  // both ended early: the look after the reads tells whether they changed
            }
        }
        return ContentsComparison{ContentsVerdict::Match, kNoError};
    }

    // Whether the path still names the version looked at before the reads. A look that
    // fails means the file went away meanwhile: a change too.
    bool Unchanged(const std::string& path, const FileAttributes& before) {
        FileAttributes after;
        return !fileSystem_.GetAttributes(path, after) && SameVersion(before, after);
    }

    FileSystem& fileSystem_;
    const std::string& source_;
    const std::string& archive_;
    std::string sourceBytes_;
    std::string archiveBytes_;
};

}  // namespace

ContentsComparison CompareContents(FileSystem& fileSystem, const std::string& source,
                                   const std::string& archive) {
    return Comparison(fileSystem, source, archive).Run();
}

}  // namespace bh
