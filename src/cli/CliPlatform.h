#pragma once

#include <string>

#include "platform/NativePlatform.h"

namespace bh::cli {

// The folder settings' default: the current folder in the system's spelling.
const char* CurrentFolderText();

// Whether standard error is a terminal (or console), where progress may be drawn.
bool StandardErrorIsTerminal();

// The path made absolute against the current folder and normalised as the system does it;
// the path unchanged when that fails.
std::string SystemAbsolutePath(const std::string& path);

}  // namespace bh::cli
