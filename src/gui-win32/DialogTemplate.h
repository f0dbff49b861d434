#pragma once

#include "gui-win32/WinApi.h"

#include <string>
#include <vector>

namespace bh {

// An in-memory dialog template (DLGTEMPLATE with its items), so that the dialogs need no
// resource script and keep their designed layout in dialog units.
class DialogTemplate {
  public:
    DialogTemplate(const std::wstring& caption, short width, short height);

    // Predefined classes: 0x0080 button, 0x0081 edit, 0x0082 static.
    void AddItem(WORD classAtom, WORD id, const std::wstring& text, DWORD style, short x, short y,
                 short width, short height);

    const DLGTEMPLATE* get() const;

  private:
    void Align();
    void Word(WORD value);
    void Text(const std::wstring& text);

    std::vector<WORD> words_;
};

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

}  // namespace bh
