#pragma once

#include <string>
#include <string_view>

namespace bh {

class Shell;
class SystemErrors;
class UserInterface;

// The manual's address: the file URL of `manualPath`, the local manual's absolute path with
// forward slashes (a drive letter is kept). Bytes a URL path cannot carry as they
// are, spaces and non-ASCII letters among them, are written as %XX.
std::string DocumentationAddress(std::string_view manualPath);

// The mail link to the author: "mailto:" + `contact` + the subject line.
std::string AuthorMailAddress(std::string_view contact);

// Opens the manual at `manualPath` with the default handler of its address. On failure shows
// the system's text of the failure, a blank line and the address (caption "Brackenhold", OK,
// exclamation).
void RunDocumentationCommand(Shell& shell, UserInterface& ui, const SystemErrors& errors,
                             std::string_view manualPath);

// Opens the user's mail program addressed to `contact`. On failure shows "Problem sending
// mail." (caption "Send Veddo Mail", OK, stop icon). Returns whether the shell took it.
bool SendMailToAuthor(Shell& shell, UserInterface& ui, std::string_view contact);

}  // namespace bh
