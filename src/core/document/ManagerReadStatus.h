#pragma once

namespace bh {

enum class ManagerReadStatus {
    Ok,
    NotManager,  // the first string is not the header
    Truncated,   // the file ends inside a length, a count or a text
    Corrupt,     // a length or count larger than the bytes that remain
    Trailing,    // bytes follow the last record (a damaged count would lose records)
    ReadFailed,  // the file could not be read (only when it is read in parts)
};

}  // namespace bh
