#pragma once

#include <string>

namespace bh {

class CFileEntry;
class ManagerList;

// The four status-bar summaries of the rows.
struct Summary {
    int files = 0;
    double totalSize = 0;  // sum of the sources' sizes in bytes
    int obsolete = 0;      // black rows: out of date
    int problems = 0;      // red rows

    // For keeping a summary current as rows come and go.
    void Add(const CFileEntry& entry);
    void Remove(const CFileEntry& entry);
};

Summary ComputeSummary(const ManagerList& rows);

// Pane texts; each begins with a tab, which centres it in its pane.
std::string FilesPaneText(const Summary& summary);
std::string TotalSizePaneText(const Summary& summary);
std::string ObsoletePaneText(const Summary& summary);
std::string ProblemsPaneText(const Summary& summary);
// The text of pane 101 to 104; empty for any other id.
std::string PaneText(const Summary& summary, int paneId);

}  // namespace bh
