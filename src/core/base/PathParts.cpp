#include "core/base/PathParts.h"

namespace bh {

namespace {

char FoldLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char FoldUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t LastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    const std::size_t sep = LastSeparator(path);
    if (sep != std::string_view::npos) {
        parts.dir = std::string(path.substr(0, sep + 1));
        path.remove_prefix(sep + 1);
    }
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) {
        parts.ext = std::string(path.substr(dot));
        path = path.substr(0, dot);
    }
    parts.fname = std::string(path);
    return parts;
}

std::string FolderOf(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string FileNameOf(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldLower(a[i]));
        const auto cb = static_cast<unsigned char>(FoldLower(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    FoldCaseInPlace(out);
    return out;
}

void FoldCaseInPlace(std::string& text) {
    for (char& c : text) {
        c = FoldLower(c);
    }
}

void AppendFolded(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out += text;
    for (std::size_t i = start; i < out.size(); ++i) {
        out[i] = FoldLower(out[i]);
    }
}

std::string ComparablePath(std::string_view path) {
    std::string out;
    ComparablePathInto(path, out);
    return out;
}

namespace {

// The start of the last part written after the root, or `rootLength` when there is none.
std::size_t LastPartStart(const std::string& out, std::size_t rootLength) {
    const std::size_t sep = out.rfind('/');
    return sep == std::string::npos || sep < rootLength ? rootLength : sep + 1;
}

}  // namespace

// Written straight into `out`, part by part, so that callers looping over many paths reuse
// one buffer.
void ComparablePathInto(std::string_view path, std::string& out) {
    std::size_t start = 0;
    while (start < path.size() && IsPathSeparator(path[start])) {
        ++start;
    }
    // "//server" (a network path) keeps its two separators, any other root one.
    out.assign(start >= 2 ? "//" : start == 1 ? "/" : "");
    const std::size_t rootLength = out.size();
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !IsPathSeparator(path[end])) {
            ++end;
        }
        const std::string_view part = path.substr(start, end - start);
        start = end + 1;
        const std::size_t lastStart = LastPartStart(out, rootLength);
        const bool haveParts = out.size() > rootLength;
        if (part == ".." && haveParts && std::string_view(out).substr(lastStart) != "..") {
            out.resize(lastStart > rootLength ? lastStart - 1 : rootLength);
        } else if (part == ".." && !haveParts && rootLength > 0) {
            // Above the root is the root.
        } else if (!part.empty() && part != ".") {
            if (haveParts) {
                out += '/';
            }
            AppendFolded(out, part);
        }
    }
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = FoldUpper(c);
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return TrimTrailingBlanks(text);
}

}  // namespace bh
