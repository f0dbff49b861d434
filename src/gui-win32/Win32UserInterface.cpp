#include "gui-win32/Win32UserInterface.h"

#include <commdlg.h>

#include "core/ports/MessageBoxFlags.h"
#include "gui-win32/ChoiceDialog.h"
#include "gui-win32/PromptDialog.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32StatusBar.h"
#include "gui-win32/Win32StatusProgress.h"

namespace bh {
namespace {

// Room for many files of a multiple selection.
constexpr std::size_t kFileBufferChars = 64 * 1024;

}  // namespace

std::wstring DialogFilter(const std::string& filter) {
    std::wstring result = Wide(filter);
    for (wchar_t& c : result) {
        if (c == L'|')
            c = L'\0';
    }
    // The list ends in two NULs whether or not the text ended in "||".
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

std::vector<std::string> DialogPaths(const wchar_t* buffer) {
    std::vector<std::string> paths;
    const std::wstring first = buffer;
    if (first.empty())
        return paths;
    const wchar_t* next = buffer + first.size() + 1;
    if (*next == L'\0') {
        paths.push_back(Utf8(first));
        return paths;
    }
    std::wstring folder = first;
    if (folder.back() != L'\\')
        folder += L'\\';
    while (*next != L'\0') {
        const std::wstring name = next;
        paths.push_back(Utf8(folder + name));
        next += name.size() + 1;
    }
    return paths;
}

Win32UserInterface::Win32UserInterface(HWND owner, Win32StatusBar& statusBar,
                                       std::function<void()> pump)
    : owner_(owner), statusBar_(statusBar), pump_(std::move(pump)) {}

int Win32UserInterface::MessageBox(const std::string& text, const std::string& caption,
                                   unsigned flags) {
    return ::MessageBoxW(owner_, Wide(text).c_str(), Wide(caption).c_str(), flags);
}

FileDialogResult Win32UserInterface::FileDialog(const FileDialogRequest& request) {
    std::vector<wchar_t> buffer(kFileBufferChars, L'\0');
    const std::wstring name = Wide(request.initialName);
    name.copy(buffer.data(), std::min(name.size(), buffer.size() - 1));
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring title = Wide(request.title);
    const std::wstring folder = Wide(request.initialFolder);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = request.options | OFN_EXPLORER;
    const BOOL ok = request.kind == FileDialogKind::Save ? GetSaveFileNameW(&dialog)
                                                         : GetOpenFileNameW(&dialog);
    FileDialogResult result;
    result.confirmed = ok != FALSE;
    if (!ok) {
        result.errorCode = CommDlgExtendedError();
        return result;
    }
    result.paths = DialogPaths(buffer.data());
    return result;
}

int Win32UserInterface::Prompt(PromptRequest& request) {
    return RunPromptDialog(owner_, request);
}

int Win32UserInterface::ChooseFromList(const std::string& text, const std::string& caption,
                                       const std::vector<std::string>& items) {
    return RunChoiceDialog(owner_, text, caption, items);
}

void Win32UserInterface::Beep() {
    MessageBeep(MB_OK);
}

void Win32UserInterface::BeginWaitCursor() {
    if (waitDepth_++ == 0)
        savedCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32UserInterface::EndWaitCursor() {
    if (waitDepth_ == 0)
        return;
    if (--waitDepth_ == 0)
        SetCursor(savedCursor_ ? savedCursor_ : LoadCursorW(nullptr, IDC_ARROW));
}

std::unique_ptr<ProgressIndicator> Win32UserInterface::CreateStatusProgress(
    const std::string& caption) {
    return std::make_unique<Win32StatusProgress>(owner_, statusBar_, caption, pump_);
}

void Win32UserInterface::ShowIdleMessage() {
    statusBar_.SetPaneText(0, "Ready");
}

void Win32UserInterface::RefreshCaption(const std::string& title) {
    if (onCaption)
        onCaption(title);
}

}  // namespace bh
