#include "platform/posix/TrustedPath.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <deque>

namespace bh::posix {

namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

ErrorCode SystemError(int error) {
    return ErrorCode(static_cast<std::uint32_t>(error));
}

// The names of a path, without empty ones and ".".
std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        std::string part = path.substr(start, slash - start);
        if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = slash + 1;
    }
    return parts;
}

UniqueFd OpenStart(bool absolute) {
    return UniqueFd(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// A walked folder reopened for reading; one the user may enter but not list stays as walked.
UniqueFd Readable(UniqueFd folder) {
    UniqueFd readable(::openat(folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return readable.Valid() ? std::move(readable) : std::move(folder);
}

int ReadLink(int folder, const std::string& name, std::string& target) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
    if (n < 0) {
        return errno;
    }
    if (static_cast<std::size_t>(n) >= buffer.size()) {
        return ENAMETOOLONG;
    }
    target.assign(buffer.data(), static_cast<std::size_t>(n));
    return 0;
}

}  // namespace

bool IsTrustedLinkOwner(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

ErrorCode HoldEntry(const std::string& path, FinalLink finalLink, HeldEntry& out) {
    if (path.empty()) {
        return SystemError(ENOENT);
    }
    std::deque<std::string> parts = Components(path);
    UniqueFd folder = OpenStart(path[0] == '/');
    int links = 0;
    while (folder.Valid() && !parts.empty()) {
        std::string name = std::move(parts.front());
        parts.pop_front();
        const bool last = parts.empty();
        struct stat st {};
        if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (!last || errno != ENOENT) {
                return SystemError(errno);
            }
            st.st_mode = 0;  // a name still to be made
        }
        if (S_ISLNK(st.st_mode) && (!last || finalLink == FinalLink::Follow)) {
            if (!IsTrustedLinkOwner(st.st_uid)) {
                return kErrorForeignLink;
            }
            std::string target;
            if (++links > kMaxLinks) {
                return SystemError(ELOOP);
            }
            if (const int error = ReadLink(folder.Get(), name, target); error != 0) {
                return SystemError(error);
            }
            std::deque<std::string> more = Components(target);
            parts.insert(parts.begin(), more.begin(), more.end());
            if (!target.empty() && target[0] == '/') {
                folder = OpenStart(true);
            }
            if (parts.empty()) {
                parts.push_back(".");  // the link leads to a folder already walked
            }
            continue;
        }
        if (last) {
            out.folder = Readable(std::move(folder));
            out.name = std::move(name);
            return kNoError;
        }
        // O_NOFOLLOW: a folder swapped for a link since the look above fails here.
        folder = UniqueFd(
            ::openat(folder.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    if (!folder.Valid()) {
        return SystemError(errno);
    }
    // The path names a folder itself ("/", "."): the entry is "." of it.
    out.folder = Readable(std::move(folder));
    out.name = ".";
    return kNoError;
}

}  // namespace bh::posix
