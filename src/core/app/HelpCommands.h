#pragma once

#include <string>
#include <string_view>

namespace bh {

class Shell;
class SystemErrors;
class UserInterface;

// The manual's address on the documentation site: `host` (scheme and host, for example
// "https://www.example.org") followed by the manual's path and the fragment that opens it at
// its first page, fitted to the width.
std::string DocumentationAddress(std::string_view host);

// The mail link to the author: "mailto:" + `contact` + the subject line.
std::string AuthorMailAddress(std::string_view contact);

// Opens the manual with the address's default handler. On failure shows the system's text
// of the failure, a blank line and the address (caption "Brackenhold", OK, exclamation).
void RunDocumentationCommand(Shell& shell, UserInterface& ui, const SystemErrors& errors,
                             std::string_view host);

// Opens the user's mail program addressed to `contact`. On failure shows "Problem sending
// mail." (caption "Send Veddo Mail", OK, stop icon). Returns whether the shell took it.
bool SendMailToAuthor(Shell& shell, UserInterface& ui, std::string_view contact);

}  // namespace bh
