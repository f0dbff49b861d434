#include "platform/memory/FakeSystemErrors.h"

namespace bh {

FakeSystemErrors::FakeSystemErrors()
    : texts_{{0, "Success"},
             {2, "No such file or directory"},
             {5, "Input/output error"},
             {8, "Exec format error"},
             {12, "Cannot allocate memory"},
             {13, "Permission denied"},
             {17, "File exists"},
             {20, "Not a directory"},
             {21, "Is a directory"},
             {22, "Invalid argument"},
             {28, "No space left on device"},
             {30, "Read-only file system"},
             {36, "File name too long"}} {}

std::string FakeSystemErrors::MessageText(ErrorCode code) const {
    const auto found = texts_.find(code.Value());
    return found == texts_.end() ? std::string() : found->second;
}

}  // namespace bh
