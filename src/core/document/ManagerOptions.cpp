#include "core/document/ManagerOptions.h"

#include <charconv>
#include <string_view>

#include "core/ports/FileSystem.h"

namespace bh {

namespace {

constexpr std::string_view kKeepVersionsName = "keep-versions";
constexpr std::string_view kVerifyAfterCopyName = "verify-after-copy";

bool ParseCount(std::string_view value, int& out) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (error != std::errc() || end != value.data() + value.size() || parsed < 0 ||
        parsed > kMaxKeptVersions) {
        return false;
    }
    out = parsed;
    return true;
}

bool ParseYesNo(std::string_view value, bool& out) {
    if (value == "yes" || value == "no") {
        out = value == "yes";
        return true;
    }
    return false;
}

bool DecodeLine(std::string_view line, ManagerOptions& options, std::string& problem) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        problem = "a line without \"=\": " + std::string(line);
        return false;
    }
    const std::string_view name = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    bool ok = true;
    if (name == kKeepVersionsName) {
        ok = ParseCount(value, options.keepVersions);
    } else if (name == kVerifyAfterCopyName) {
        ok = ParseYesNo(value, options.verifyAfterCopy);
    }
    if (!ok) {
        problem = "a value out of range: " + std::string(line);
    }
    return ok;
}

}  // namespace

std::string ManagerOptionsPath(const std::string& managerPath) {
    return managerPath + ".options";
}

std::string EncodeManagerOptions(const ManagerOptions& options) {
    std::string text = "# Brackenhold manager settings\n";
    text += std::string(kKeepVersionsName) + "=" + std::to_string(options.keepVersions) + "\n";
    text +=
        std::string(kVerifyAfterCopyName) + "=" + (options.verifyAfterCopy ? "yes" : "no") + "\n";
    return text;
}

bool DecodeManagerOptions(const std::string& text, ManagerOptions& options, std::string& problem) {
    ManagerOptions decoded;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (!DecodeLine(line, decoded, problem)) {
            return false;
        }
    }
    options = decoded;
    return true;
}

ErrorCode ReadManagerOptions(FileSystem& fileSystem, const std::string& managerPath,
                             ManagerOptions& options, std::string& problem) {
    options = ManagerOptions();
    problem.clear();
    const std::string path = ManagerOptionsPath(managerPath);
    if (fileSystem.Lookup(path) == PathKind::None) {
        return kNoError;
    }
    std::string text;
    if (const ErrorCode error = fileSystem.ReadAll(path, text)) {
        return error;
    }
    if (!DecodeManagerOptions(text, options, problem)) {
        options = ManagerOptions();
    }
    return kNoError;
}

ErrorCode WriteManagerOptions(FileSystem& fileSystem, const std::string& managerPath,
                              const ManagerOptions& options) {
    const std::string path = ManagerOptionsPath(managerPath);
    if (options.IsDefault()) {
        return fileSystem.Lookup(path) == PathKind::None ? kNoError : fileSystem.Remove(path);
    }
    return fileSystem.WriteAtomically(path, EncodeManagerOptions(options));
}

}  // namespace bh
