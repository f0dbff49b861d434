#include "cli/CliPlatform.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <filesystem>
#endif

#include <cstdio>

#include "core/document/BrackenholdDoc.h"

namespace bh::cli {

#ifdef _WIN32

const char* CurrentFolderText() {
    return ".\\";
}

bool StandardErrorIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

std::string SystemAbsolutePath(const std::string& path) {
    // GetFullPathNameA also folds "." and ".." and turns '/' into '\\', as Windows does.
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::string full(needed, '\0');
    const DWORD length = ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    return full;
}

#else

const char* CurrentFolderText() {
    return kPosixCurrentFolder;
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::string SystemAbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

#endif

}  // namespace bh::cli
