#include "core/document/OpenRequest.h"

#include "core/app/PathParts.h"
#include "core/app/RecentFileList.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/DocumentCommands.h"
#include "core/document/ManagerFile.h"

namespace bh {

bool OpenManagerPath(CBrackenholdDoc& doc, const std::string& path) {
    if (!doc.PathName().empty() && EqualsNoCase(doc.PathName(), path)) {
        return true;
    }
    if (!SaveModified(doc)) {
        return false;
    }
    return OpenDocumentFile(doc, path);
}

OpenRequestResult OpenRequest(CBrackenholdDoc& doc, const std::string& path) {
    OpenRequestResult result;
    const RecentFileList* recent = doc.recentFiles();
    if (recent != nullptr && recent->Contains(path)) {
        result.kind = OpenManagerPath(doc, path) ? OpenRequestResult::Kind::OpenedManager
                                                 : OpenRequestResult::Kind::ManagerNotOpened;
        return result;
    }
    result.kind = OpenRequestResult::Kind::AddedAsFile;
    result.addResult = AddFile(doc, path);
    return result;
}

}  // namespace bh
