#include "core/app/HelpCommands.h"

#include "core/base/ErrorText.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/ports/Shell.h"
#include "core/ports/UserInterface.h"

namespace bh {

std::string DocumentationAddress(std::string_view host) {
    std::string address(host);
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address + "/programs/BrackenholdDoc.pdf#page=1&view=fitH";
}

std::string AuthorMailAddress(std::string_view contact) {
    return "mailto:" + std::string(contact) + "?subject=Concerning your program Brackenhold";
}

void RunDocumentationCommand(Shell& shell, UserInterface& ui, const SystemErrors& errors,
                             std::string_view host) {
    const std::string address = DocumentationAddress(host);
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
