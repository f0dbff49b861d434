#include "core/view/Summaries.h"

#include "core/base/CommandIds.h"
#include "core/base/Format.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"

namespace bh {

void Summary::Add(const CFileEntry& entry) {
    ++files;
    totalSize += entry.sourceSize;
    obsolete += entry.state == EntryState::OutOfDate ? 1 : 0;
    problems += entry.state == EntryState::Problem ? 1 : 0;
}

void Summary::Remove(const CFileEntry& entry) {
    --files;
    totalSize -= entry.sourceSize;
    obsolete -= entry.state == EntryState::OutOfDate ? 1 : 0;
    problems -= entry.state == EntryState::Problem ? 1 : 0;
}

Summary ComputeSummary(const ManagerList& rows) {
    Summary summary;
    for (int row = 0; row < rows.Count(); ++row) {
        summary.Add(rows.Entry(row));
    }
    return summary;
}

std::string FilesPaneText(const Summary& summary) {
    return Format("\t%d Files", summary.files);
}

std::string TotalSizePaneText(const Summary& summary) {
    static const char* const kUnits[] = {"B", "KB", "MB", "GB"};
    double value = summary.totalSize;
    int unit = 0;
    while (value >= 1000 && unit < 3) {
        value *= 0.001;
        ++unit;
    }
    return Format("\t%.0f %s", value, kUnits[unit]);
}

std::string ObsoletePaneText(const Summary& summary) {
    return summary.obsolete > 0 ? Format("\t%d Obselete", summary.obsolete)
                                : std::string("\tAll Backed Up");
}

std::string ProblemsPaneText(const Summary& summary) {
    return summary.problems > 0 ? Format("\t%d Problems", summary.problems)
                                : std::string("\tNo Problems");
}

std::string PaneText(const Summary& summary, int paneId) {
    switch (paneId) {
        case kPaneFiles:
            return FilesPaneText(summary);
        case kPaneTotalSize:
            return TotalSizePaneText(summary);
        case kPaneObsolete:
            return ObsoletePaneText(summary);
        case kPaneProblems:
            return ProblemsPaneText(summary);
        default:
            return std::string();
    }
}

}  // namespace bh
