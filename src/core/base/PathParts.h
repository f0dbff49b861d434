#pragma once

#include <string>
#include <string_view>

namespace bh {

// A path taken apart as the C runtime's _splitpath does: drive is "X:" when the second
// character is a colon; dir runs to and includes the last '/' or '\\'; ext starts at the
// last '.' after dir; fname is what lies between. drive + dir + fname + ext == path.
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};

PathParts SplitPath(std::string_view path);

inline bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

// Everything up to and including the last '/' or '\\'; empty when there is none.
std::string FolderOf(std::string_view path);

// Everything after the last '/' or '\\'; the whole path when there is none.
std::string FileNameOf(std::string_view path);

// Three-way comparison with ASCII letters folded to lower case (_stricmp, _mbsicmp).
// Bytes of 0x80 and above compare as they are, so UTF-8 sequences are never split.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

// ASCII case folding of a whole string (for hash keys of case-insensitive sets).
std::string FoldCase(std::string_view text);
// The same on a string the caller owns, without a copy.
void FoldCaseInPlace(std::string& text);
// Appends `text` folded as FoldCase folds it.
void AppendFolded(std::string& out, std::string_view text);
std::string ToUpperAscii(std::string_view text);

// A path's spelling for telling whether two paths name one file: '\\' and '/' both become '/',
// repeated separators and "." parts go, ".." takes back the part before it, and letters are
// folded. Links are not followed, so two results that differ may still name one file.
std::string ComparablePath(std::string_view path);
// The same into a buffer the caller keeps (its capacity is reused).
void ComparablePathInto(std::string_view path, std::string& out);

// White space as isspace in the C locale: blank, \t, \n, \v, \f, \r.
bool IsBlank(char c);
std::string TrimBlanks(std::string_view text);
std::string TrimTrailingBlanks(std::string_view text);

}  // namespace bh
