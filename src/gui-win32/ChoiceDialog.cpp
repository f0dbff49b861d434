#include "gui-win32/ChoiceDialog.h"

#include "gui-win32/DialogTemplate.h"
#include "gui-win32/WideText.h"

namespace bh {
namespace {

constexpr WORD kListBoxClass = 0x0083;

struct Choice {
    std::wstring text;
    const std::vector<std::string>* items;
};

void Fill(HWND dialog, const Choice& choice) {
    SetDlgItemTextW(dialog, kChoiceTextId, choice.text.c_str());
    const HWND list = GetDlgItem(dialog, kChoiceListId);
    for (const std::string& item : *choice.items)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK ChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Fill(dialog, *reinterpret_cast<const Choice*>(lParam));
            SetFocus(GetDlgItem(dialog, kChoiceListId));
            return FALSE;
        case WM_COMMAND: {
            const bool picked = LOWORD(wParam) == IDOK ||
                                (LOWORD(wParam) == kChoiceListId && HIWORD(wParam) == LBN_DBLCLK);
            if (picked) {
                const LRESULT index =
                    SendDlgItemMessageW(dialog, kChoiceListId, LB_GETCURSEL, 0, 0);
                EndDialog(dialog, index == LB_ERR ? -1 : index);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, -1);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

int RunChoiceDialog(HWND owner, const std::string& text, const std::string& caption,
                    const std::vector<std::string>& items) {
    DialogTemplate dialog(Wide(caption), 290, 150);
    dialog.AddItem(kStaticClass, kChoiceTextId, L"", SS_LEFT, 7, 7, 276, 18);
    dialog.AddItem(kListBoxClass, kChoiceListId, L"",
                   LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 28, 276, 96);
    dialog.AddItem(kButtonClass, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 87, 130, 50, 14);
    dialog.AddItem(kButtonClass, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 153, 130, 50, 14);
    const Choice choice{Wide(text), &items};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner,
                                                   ChoiceProc, reinterpret_cast<LPARAM>(&choice));
    return result >= 0 && static_cast<std::size_t>(result) < items.size() ? static_cast<int>(result)
                                                                          : -1;
}

}  // namespace bh
