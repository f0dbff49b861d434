#include "core/base/ErrorText.h"

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/ports/LastError.h"

namespace bh {

std::string CoreErrorText(ErrorCode code) {
    switch (code.Value()) {
        case kErrorSourceChanged.Value():
            return "The source file changed while it was copied; the old copy was kept.";
        case kErrorSharedArchive.Value():
            return "Also the archive of another source file.";
        case kErrorFileInUse.Value():
            return "Not deleted: another entry still uses this file.";
        case kErrorForeignLink.Value():
            return "Not followed: a symbolic link in the path was made by another user.";
        case kErrorContentsDiffer.Value():
            return "Contents Differ";
        case kErrorContentsDifferAfterCopy.Value():
            return "Contents Differ After Copy";
        case kErrorChangedWhileCompared.Value():
            return "The source or archive kept changing while it was compared.";
        default:
            return std::string();
    }
}

std::string SystemMessageTrimmed(const SystemErrors& errors, ErrorCode code) {
    if (IsCoreError(code)) {
        return CoreErrorText(code);
    }
    return TrimBlanks(errors.MessageText(code));
}

std::string ErrorCodeText(const SystemErrors& errors, ErrorCode code) {
    std::string text = SystemMessageTrimmed(errors, code);
    if (text.empty()) {
        text = Format("Last Error = %d", static_cast<int>(code.Value()));
    }
    return text;
}

std::string GetLastErrorText(const SystemErrors& errors) {
    return ErrorCodeText(errors, GetLastError());
}

}  // namespace bh
