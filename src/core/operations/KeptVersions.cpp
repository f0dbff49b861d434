#include "core/operations/KeptVersions.h"

#include <algorithm>
#include <cctype>

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/ports/Clock.h"
#include "core/ports/FileSystem.h"

namespace bh {

namespace {

// A version of one second beyond the first gets "[k]"; there are never more than this.
constexpr int kMaxVersionsPerSecond = 99;

// "YYYY-MM-DD HH-MM-SS": digits everywhere but at these positions.
constexpr std::size_t kTimeTextSize = 19;

bool IsTimeText(std::string_view text) {
    if (text.size() != kTimeTextSize) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = i == 4 || i == 7 || i == 13 || i == 16 ? '-' : i == 10 ? ' ' : '0';
        const bool ok = expected == '0' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0
                                        : text[i] == expected;
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Skips a "[k]" at the start of `rest`, setting `counter` to k (1 when there is none).
std::string_view AfterCounter(std::string_view rest, int& counter) {
    counter = 1;
    if (rest.size() < 3 || rest.front() != '[') {
        return rest;
    }
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos || close == 1 || close > 3) {
        return rest;
    }
    int value = 0;
    for (std::size_t i = 1; i < close; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i]))) {
            return rest;
        }
        value = value * 10 + (rest[i] - '0');
    }
    counter = value;
    return rest.substr(close + 1);
}

// The number after the highest one a version of this time already has, so that the order of
// the numbers stays the order in which versions of one second were kept, even after the
// oldest of them were removed.
int NextCounter(const std::vector<std::string>& names, const std::string& timeText) {
    int highest = 0;
    for (const std::string& name : names) {
        std::string archiveName;
        std::string time;
        int counter = 1;
        if (ParseVersionFileName(name, archiveName, time, &counter) && time == timeText) {
            highest = std::max(highest, counter);
        }
    }
    return highest + 1;
}

}  // namespace

std::string VersionsFolderOf(const std::string& archivePath) {
    const std::string folder = FolderOf(archivePath);
    const char separator = folder.empty() ? '/' : folder.back();
    return folder + kVersionsFolderName + separator;
}

std::string VersionTimeText(const Clock& clock, std::int64_t seconds) {
    std::tm local{};
    if (!clock.LocalTime(seconds, local)) {
        return {};
    }
    return Format("%04d-%02d-%02d %02d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

std::string VersionTimeFromUser(std::string_view text) {
    std::string time(text);
    if (time.size() == kTimeTextSize && time[10] == 'T') {
        time[10] = ' ';
    }
    for (std::size_t i = 11; i < time.size(); ++i) {
        if (time[i] == ':') {
            time[i] = '-';
        }
    }
    return time;
}

std::string VersionFileName(const std::string& archiveName, const std::string& timeText, int k) {
    const PathParts parts = SplitPath(archiveName);
    std::string name = parts.fname + " (" + timeText + ")";
    if (k > 1) {
        name += Format("[%d]", k);
    }
    return name + parts.ext;
}

bool ParseVersionFileName(const std::string& versionName, std::string& archiveName,
                          std::string& timeText, int* counter) {
    // The last " (TIME)" whose rest is an optional "[k]" and an extension without a '.'
    // other than its first: a name may hold such a text of its own before it.
    for (std::size_t open = versionName.rfind(" ("); open != std::string::npos;
         open = open == 0 ? std::string::npos : versionName.rfind(" (", open - 1)) {
        const std::string_view time = std::string_view(versionName).substr(open + 2, kTimeTextSize);
        const std::size_t close = open + 2 + kTimeTextSize;
        if (!IsTimeText(time) || close >= versionName.size() || versionName[close] != ')') {
            continue;
        }
        int k = 1;
        const std::string_view ext =
            AfterCounter(std::string_view(versionName).substr(close + 1), k);
        if (!ext.empty() && (ext.front() != '.' || ext.find_first_of(".\\/", 1) != ext.npos)) {
            continue;
        }
        archiveName = versionName.substr(0, open) + std::string(ext);
        timeText = std::string(time);
        if (counter != nullptr) {
            *counter = k;
        }
        return true;
    }
    return false;
}

KeptVersions::KeptVersions(FileSystem& fileSystem, const Clock& clock)
    : fileSystem_(fileSystem), clock_(clock) {}

ErrorCode KeptVersions::Load(const std::string& folderPath, Folder*& folder) {
    if (const auto known = folders_.find(folderPath); known != folders_.end()) {
        folder = &known->second;
        return kNoError;
    }
    Folder loaded;
    if (fileSystem_.Lookup(folderPath) == PathKind::Folder) {
        std::vector<FileSystem::FolderItem> items;
        if (const ErrorCode error = fileSystem_.ListFolder(folderPath, items)) {
            return error;
        }
        for (const FileSystem::FolderItem& item : items) {
            std::string archiveName;
            std::string timeText;
            if (item.kind == FileSystem::ItemKind::File &&
                ParseVersionFileName(item.name, archiveName, timeText)) {
                loaded.byArchive[archiveName].push_back(item.name);
            }
        }
    }
    folder = &folders_.emplace(folderPath, std::move(loaded)).first->second;
    return kNoError;
}

ErrorCode KeptVersions::List(const std::string& archivePath, std::vector<KeptVersion>& versions) {
    versions.clear();
    const std::string folderPath = VersionsFolderOf(archivePath);
    Folder* folder = nullptr;
    if (const ErrorCode error = Load(folderPath, folder)) {
        return error;
    }
    const auto names = folder->byArchive.find(FileNameOf(archivePath));
    if (names == folder->byArchive.end()) {
        return kNoError;
    }
    for (const std::string& name : names->second) {
        KeptVersion version;
        version.path = folderPath + name;
        FileAttributes attributes;
        std::string archiveName;
        if (fileSystem_.GetAttributes(version.path, attributes) != kNoError ||
            !ParseVersionFileName(name, archiveName, version.timeText, &version.counter)) {
            continue;  // gone since the listing
        }
        version.lastWriteSeconds = attributes.lastWriteSeconds;
        version.size = attributes.size;
        versions.push_back(std::move(version));
    }
    // Versions of one second were numbered in the order they were kept.
    std::sort(versions.begin(), versions.end(), [](const KeptVersion& a, const KeptVersion& b) {
        if (a.lastWriteSeconds != b.lastWriteSeconds) {
            return a.lastWriteSeconds > b.lastWriteSeconds;
        }
        return a.counter != b.counter ? a.counter > b.counter : a.path > b.path;
    });
    return kNoError;
}

ErrorCode KeptVersions::Keep(const std::string& archivePath, std::string& versionPath) {
    versionPath.clear();
    FileAttributes attributes;
    if (const ErrorCode error = fileSystem_.GetAttributes(archivePath, attributes)) {
        // No archive yet is nothing to keep; one that is there but cannot be looked at is.
        return fileSystem_.Lookup(archivePath) == PathKind::None ? kNoError : error;
    }
    if (attributes.size == 0) {
        return kNoError;
    }
    const std::string folderPath = VersionsFolderOf(archivePath);
    Folder* folder = nullptr;
    if (const ErrorCode error = Load(folderPath, folder)) {
        return error;
    }
    if (!folder->made) {
        if (const ErrorCode error = fileSystem_.CreateFolders(folderPath)) {
            return error;
        }
        folder->made = true;
    }
    const std::string archiveName = FileNameOf(archivePath);
    std::string timeText = VersionTimeText(clock_, attributes.lastWriteSeconds);
    if (timeText.empty()) {
        timeText = "0000-00-00 00-00-00";  // a time the system cannot show still gets a name
    }
    ErrorCode error = kNoError;
    for (int k = NextCounter(folder->byArchive[archiveName], timeText); k <= kMaxVersionsPerSecond;
         ++k) {
        const std::string name = VersionFileName(archiveName, timeText, k);
        const std::string candidate = folderPath + name;
        if (candidate.size() + 1 > fileSystem_.PathLimitBytes()) {
            return fileSystem_.PathTooLongError();
        }
        // The listing tells the names this run knows of; a name taken since fails the move
        // below, which never replaces, and the next name is tried.
        const std::vector<std::string>& known = folder->byArchive[archiveName];
        if (std::find(known.begin(), known.end(), name) != known.end()) {
            continue;
        }
        error = fileSystem_.MoveWithoutReplacing(archivePath, candidate);
        if (error == kNoError) {
            folder->byArchive[archiveName].push_back(name);
            versionPath = candidate;
            return kNoError;
        }
        if (fileSystem_.Lookup(candidate) == PathKind::None) {
            return error;  // not a name taken meanwhile: the move itself failed
        }
    }
    return error != kNoError ? error : fileSystem_.PathTooLongError();
}

ErrorCode KeptVersions::PutBack(const std::string& versionPath, const std::string& archivePath) {
    const ErrorCode error = fileSystem_.MoveWithoutReplacing(versionPath, archivePath);
    if (error == kNoError) {
        Folder* folder = nullptr;
        if (Load(VersionsFolderOf(archivePath), folder) == kNoError) {
            auto& names = folder->byArchive[FileNameOf(archivePath)];
            std::erase(names, FileNameOf(versionPath));
        }
    }
    return error;
}

ErrorCode KeptVersions::Prune(const std::string& archivePath, int keep) {
    std::vector<KeptVersion> versions;
    if (const ErrorCode error = List(archivePath, versions)) {
        return error;
    }
    ErrorCode first = kNoError;
    Folder* folder = nullptr;
    IgnoreError(Load(VersionsFolderOf(archivePath), folder));
    for (std::size_t i = static_cast<std::size_t>(std::max(keep, 0)); i < versions.size(); ++i) {
        const ErrorCode error = fileSystem_.Remove(versions[i].path);
        if (error == kNoError && folder != nullptr) {
            std::erase(folder->byArchive[FileNameOf(archivePath)], FileNameOf(versions[i].path));
        } else if (first == kNoError) {
            first = error;
        }
    }
    return first;
}

}  // namespace bh
