#include "core/app/HelpCommands.h"

#include "core/base/ErrorText.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/ports/Shell.h"
#include "core/ports/UserInterface.h"

namespace bh {

namespace {

// Characters a file URL's path keeps as they are: RFC 3986's unreserved ones, the separator,
// and ':' for a drive letter.
bool KeptInPath(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
}

}  // namespace

std::string DocumentationAddress(std::string_view manualPath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = "file://";
    // A Windows path ("C:/...") has no leading slash of its own.
    if (manualPath.empty() || manualPath.front() != '/')
        address += '/';
    for (const char ch : manualPath) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptInPath(c)) {
            address += static_cast<char>(c);
        } else {
            address += '%';
            address += kHex[c >> 4];
            address += kHex[c & 0xF];
        }
    }
    return address;
}

std::string AuthorMailAddress(std::string_view contact) {
    return "mailto:" + std::string(contact) + "?subject=Concerning your program Brackenhold";
}

void RunDocumentationCommand(Shell& shell, UserInterface& ui, const SystemErrors& errors,
                             std::string_view manualPath) {
    const std::string address = DocumentationAddress(manualPath);
    const ErrorCode error = shell.OpenAddress(address);
    if (!error)
        return;
    SetLastError(error);
    const std::string reason = GetLastErrorText(errors);
    ui.MessageBox(reason + "\n\n" + address, "Brackenhold", kMbOk | kMbIconExclamation);
}

bool SendMailToAuthor(Shell& shell, UserInterface& ui, std::string_view contact) {
    if (shell.OpenAddress(AuthorMailAddress(contact)) == kNoError)
        return true;
    ui.MessageBox("Problem sending mail.", "Send Veddo Mail", kMbOk | kMbIconHand);
    return false;
}

}  // namespace bh
