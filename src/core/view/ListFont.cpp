#include "core/view/ListFont.h"

#include "core/ports/MessageBoxFlags.h"
#include "core/ports/UserInterface.h"

namespace bh {

void ReportListFontFailure(UserInterface& ui) {
    ui.MessageBox("Problem creating a new font", "Change Font", kMbOk | kMbIconError);
}

}  // namespace bh
