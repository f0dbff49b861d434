#include "gui-win32/AboutDialog.h"

#include <string>

#include "bh/Version.h"
#include "core/app/HelpCommands.h"
#include "gui-win32/DialogTemplate.h"
#include "gui-win32/WideText.h"

#ifndef BH_CONTACT_ADDRESS
#define BH_CONTACT_ADDRESS "author@example.invalid"
#endif

namespace bh {
namespace {

struct AboutContext {
    Shell& shell;
    UserInterface& ui;
};

constexpr int kIconId = 1102;
// Texts nobody addresses share the id of static controls.
constexpr WORD kStaticId = 0xFFFF;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context = reinterpret_cast<AboutContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SendDlgItemMessageW(
                dialog, kIconId, STM_SETICON,
                reinterpret_cast<WPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))),
                0);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                case kAboutEmailId:
                    SendMailToAuthor(context->shell, context->ui, BH_CONTACT_ADDRESS);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

void RunAboutDialog(HWND owner, Shell& shell, UserInterface& ui) {
    DialogTemplate dialog(L"About Brackenhold", 260, 132);
    dialog.AddItem(kStaticClass, kIconId, L"", SS_ICON, 7, 7, 21, 20);
    dialog.AddItem(kStaticClass, kAboutVersionId, L"Brackenhold Version " + Wide(kVersionText),
                   SS_LEFT | SS_NOPREFIX, 40, 7, 210, 10);
    dialog.AddItem(kStaticClass, kStaticId, L"Free software for keeping archive copies of files.",
                   SS_LEFT, 40, 19, 210, 10);
    dialog.AddItem(kStaticClass, kStaticId,
                   L"Brackenhold is an archive and distribution file manager. It copies a source "
                   L"file to an archive file whenever the archive is out of date. The source and "
                   L"archive can be located in arbitrary network folders.",
                   SS_LEFT, 40, 33, 210, 34);
    dialog.AddItem(kStaticClass, kStaticId,
                   L"Licensed under the GNU General Public License, version 3 or (at your "
                   L"option) any later version; it comes with no warranty.",
                   SS_LEFT, 40, 69, 210, 26);
    dialog.AddItem(kButtonClass, kAboutEmailId, L"email", BS_PUSHBUTTON | WS_TABSTOP, 40, 97, 40,
                   14);
    dialog.AddItem(kStaticClass, kStaticId, Wide(BH_CONTACT_ADDRESS), SS_LEFT | SS_NOPREFIX, 86,
                   100, 164, 10);
    dialog.AddItem(kButtonClass, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 113, 50, 14);
    AboutContext context{shell, ui};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, AboutProc,
                            reinterpret_cast<LPARAM>(&context));
}

}  // namespace bh
