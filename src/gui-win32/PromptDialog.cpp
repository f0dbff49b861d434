#include "gui-win32/PromptDialog.h"

#include <shlobj.h>

#include "core/ports/MessageBoxFlags.h"
#include "gui-win32/DialogTemplate.h"
#include "gui-win32/WideText.h"

namespace bh {
namespace {

std::size_t LastSeparator(const std::string& text) {
    return text.find_last_of("\\/");
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// The folder picker, started in `folder`; false after a cancel.
bool BrowseForFolder(HWND owner, std::string& folder) {
    const std::wstring start = Wide(folder);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = L"Choose New Archive Folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
        return false;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (ok)
        folder = Utf8(path);
    return ok;
}

std::wstring EditText(HWND dialog) {
    const HWND edit = GetDlgItem(dialog, kPromptEditId);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

void Initialise(HWND dialog, const PromptRequest& request) {
    SetDlgItemTextW(dialog, kPromptEditId, Wide(request.text).c_str());
    const HWND edit = GetDlgItem(dialog, kPromptEditId);
    if (request.editStyle & kEsNumber)
        SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | ES_NUMBER);
    if (!request.allowBrowse) {
        // Without the browse button the edit field takes its place.
        const HWND browse = GetDlgItem(dialog, kPromptBrowseId);
        RECT editRect{}, browseRect{};
        GetWindowRect(edit, &editRect);
        GetWindowRect(browse, &browseRect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&editRect), 2);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&browseRect), 2);
        ShowWindow(browse, SW_HIDE);
        MoveWindow(edit, editRect.left, editRect.top, browseRect.right - editRect.left,
                   editRect.bottom - editRect.top, FALSE);
    }
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<PromptRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Initialise(dialog, *reinterpret_cast<PromptRequest*>(lParam));
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    request->text = Utf8(EditText(dialog));
                    EndDialog(dialog, kIdOk);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, kIdCancel);
                    return TRUE;
                case kPromptBrowseId: {
                    const std::string text = Utf8(EditText(dialog));
                    std::string folder = BrowseStartFolder(text);
                    if (BrowseForFolder(dialog, folder))
                        SetDlgItemTextW(dialog, kPromptEditId,
                                        Wide(JoinBrowsedFolder(folder, text)).c_str());
                    return TRUE;
                }
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

std::string BrowseStartFolder(const std::string& text) {
    const std::size_t at = LastSeparator(text);
    if (at == std::string::npos)
        return {};
    // A file in the root folder ("\a.txt") starts the browser at the root, not nowhere.
    if (at == 0)
        return text.substr(0, 1);
    // "C:\a.txt": the drive's root keeps its separator.
    if (at == 2 && text[1] == ':')
        return text.substr(0, 3);
    return text.substr(0, at);
}

std::string JoinBrowsedFolder(const std::string& folder, const std::string& oldText) {
    std::string joined = folder;
    if (!joined.empty() && joined.back() != '\\' && joined.back() != '/') {
        // Keep the folder's own separator style.
        const std::size_t at = LastSeparator(joined);
        joined += at == std::string::npos ? '\\' : joined[at];
    }
    const std::size_t at = LastSeparator(oldText);
    return joined + (at == std::string::npos ? oldText : oldText.substr(at + 1));
}

int RunPromptDialog(HWND owner, PromptRequest& request) {
    DialogTemplate dialog(Wide(request.caption), 290, 52);
    dialog.AddItem(kButtonClass, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 87, 32, 50, 14);
    dialog.AddItem(kButtonClass, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 153, 32, 50, 14);
    dialog.AddItem(kEditClass, kPromptEditId, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7,
                   260, 14);
    dialog.AddItem(kButtonClass, kPromptBrowseId, L"<", BS_PUSHBUTTON | WS_TABSTOP, 272, 7, 11, 14);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner,
                                                   PromptProc, reinterpret_cast<LPARAM>(&request));
    return result == kIdOk ? kIdOk : kIdCancel;
}

}  // namespace bh
