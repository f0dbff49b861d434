#pragma once

#include <QString>
#include <QStringList>

namespace bh {

// The first of `candidates` (paths relative to `programFolder`) that is a file, as a clean
// absolute path; the first candidate when none is, so that a failure names where the manual
// was expected.
QString FirstExistingFile(const QString& programFolder, const QStringList& candidates);

// The local manual of the running program: installed beside it, or the build tree's copy when
// the program runs from the build folder.
QString LocateManual();

}  // namespace bh
