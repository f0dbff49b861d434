#pragma once

#include <string>

namespace bh {

// What an update handler says about its command at this moment.
struct ActionState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    std::string text;  // empty: keep the table's text
};

inline ActionState Enabled(bool enabled) {
    return ActionState{enabled, false, false, {}};
}

inline ActionState Checked(bool checked) {
    return ActionState{true, true, checked, {}};
}

}  // namespace bh
