#include "gui-win32/Win32Menus.h"

#include <cstring>
#include <string_view>

#include "core/base/CommandIds.h"
#include "gui-win32/WideText.h"

namespace bh {
namespace {

bool IsRecent(int id) {
    return id >= kCmdRecentFileFirst && id < kCmdRecentFileFirst + kRecentFileCount;
}

}  // namespace

std::wstring MenuItemText(const MenuItem& item) {
    const CommandInfo* info = FindCommand(item.id);
    if (item.text != nullptr)
        return Wide(item.text);
    if (!info)
        return {};
    std::wstring text = Wide(CommandText(*info));
    if (*info->shortcut != '\0')
        text += L"\t" + Wide(info->shortcut);
    return text;
}

HMENU BuildMenu(const MenuItem* items, bool bar,
                const std::function<std::wstring(int id)>& recentText) {
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    bool lastWasSeparator = true;
    for (const MenuItem* item = items; item->kind != MenuItem::Kind::End; ++item) {
        switch (item->kind) {
            case MenuItem::Kind::Popup:
                AppendMenuW(menu, MF_POPUP,
                            reinterpret_cast<UINT_PTR>(BuildMenu(item->items, false, recentText)),
                            Wide(item->text).c_str());
                lastWasSeparator = false;
                break;
            case MenuItem::Kind::Separator:
                // Without recent files their block would leave two separators in a row.
                if (!lastWasSeparator)
                    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                lastWasSeparator = true;
                break;
            case MenuItem::Kind::Command: {
                const std::wstring text =
                    IsRecent(item->id) ? recentText(item->id) : MenuItemText(*item);
                if (text.empty())
                    break;
                AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item->id), text.c_str());
                lastWasSeparator = false;
                break;
            }
            case MenuItem::Kind::End:
                break;
        }
    }
    return menu;
}

bool ParseShortcut(const char* shortcut, int id, ACCEL& accel) {
    std::string_view key = shortcut ? shortcut : "";
    accel = ACCEL{FVIRTKEY, 0, static_cast<WORD>(id)};
    constexpr std::string_view kCtrl = "Ctrl+";
    if (key.substr(0, kCtrl.size()) == kCtrl) {
        accel.fVirt |= FCONTROL;
        key.remove_prefix(kCtrl.size());
    }
    if (key.size() == 1 && ((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= '0' && key[0] <= '9'))) {
        accel.key = static_cast<WORD>(key[0]);
        return true;
    }
    if (key == "Del") {
        accel.key = VK_DELETE;
        return true;
    }
    if (key == "Esc") {
        accel.key = VK_ESCAPE;
        return true;
    }
    if (key.size() >= 2 && key[0] == 'F') {
        int number = 0;
        for (char c : key.substr(1)) {
            if (c < '0' || c > '9')
                return false;
            number = number * 10 + (c - '0');
        }
        if (number < 1 || number > 24)
            return false;
        accel.key = static_cast<WORD>(VK_F1 + number - 1);
        return true;
    }
    return false;
}

std::vector<ACCEL> TableAccelerators() {
    std::vector<ACCEL> result;
    for (const CommandInfo& info : Commands()) {
        ACCEL accel{};
        if (ParseShortcut(info.shortcut, info.id, accel))
            result.push_back(accel);
    }
    return result;
}

}  // namespace bh
