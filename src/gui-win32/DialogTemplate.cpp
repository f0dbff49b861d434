#include "gui-win32/DialogTemplate.h"

#include <cstring>

namespace bh {
namespace {

constexpr std::size_t kHeaderWords = sizeof(DLGTEMPLATE) / sizeof(WORD);
constexpr std::size_t kItemWords = sizeof(DLGITEMTEMPLATE) / sizeof(WORD);

}  // namespace

DialogTemplate::DialogTemplate(const std::wstring& caption, short width, short height) {
    DLGTEMPLATE header{};
    header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    header.cx = width;
    header.cy = height;
    words_.resize(kHeaderWords);
    std::memcpy(words_.data(), &header, sizeof header);
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(caption);
    Word(8);
    Text(L"MS Shell Dlg");
}

void DialogTemplate::Align() {
    // Items start on a DWORD boundary.
    if (words_.size() % 2 != 0)
        words_.push_back(0);
}

void DialogTemplate::Word(WORD value) {
    words_.push_back(value);
}

void DialogTemplate::Text(const std::wstring& text) {
    for (wchar_t c : text)
        words_.push_back(static_cast<WORD>(c));
    words_.push_back(0);
}

void DialogTemplate::AddItem(WORD classAtom, WORD id, const std::wstring& text, DWORD style,
                             short x, short y, short width, short height) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = id;
    const std::size_t at = words_.size();
    words_.resize(at + kItemWords);
    std::memcpy(words_.data() + at, &item, sizeof item);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words_.data());
    ++header->cdit;
}

const DLGTEMPLATE* DialogTemplate::get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
}

}  // namespace bh
