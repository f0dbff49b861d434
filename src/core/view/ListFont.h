#pragma once

namespace bh {

class UserInterface;

// The front end could not make the list font of the asked size: tells the user, whose list
// keeps its previous font.
void ReportListFontFailure(UserInterface& ui);

}  // namespace bh
