// What the Windows file system layer does beyond the shared contract: 64-bit sizes, times to
// the 100 ns tick and before 1970, attributes, Windows spellings of paths, and copies that
// stay safe while another program races them.
#include "platform/win32/Win32FileSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/LastError.h"
#include "platform/win32/Win32FileOps.h"
#include "platform/win32/WinePaths.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Backslashed;
using test::TempDir;

constexpr std::int64_t kTime = 1700000000;

// Runs a hook before every write of a copy or save, with the file being written.
class HookedFileSystem : public Win32FileSystem {
  public:
    std::function<void(HANDLE)> beforeWrite;

  protected:
    DWORD WriteChunk(HANDLE file, const char* data, DWORD size) override {
        if (beforeWrite) {
            beforeWrite(file);
        }
        return Win32FileSystem::WriteChunk(file, data, size);
    }
};

std::uint64_t LastWriteTicks(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return win32::TicksOf(data.ftLastWriteTime);
}

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

std::string FinalName(HANDLE file) {
    char name[MAX_PATH * 2] = {};
    const DWORD length = ::GetFinalPathNameByHandleA(file, name, sizeof name, 0);
    return length > 0 && length < sizeof name ? std::string(name, length) : std::string();
}

bool NoTempFiles(const TempDir& dir) {
    WIN32_FIND_DATAA data{};
    const HANDLE found = ::FindFirstFileA((dir.Path() + "\\*.tmp").c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) {
        return true;
    }
    ::FindClose(found);
    return false;
}

TEST(Win32FileSystem, SizesAndTimesAsWindowsKeepsThem) {
    TempDir dir;
    Win32FileSystem fs;
    // Beyond 4 GiB, so the high half of the size counts (the file is sparse on the host).
    const std::string big = dir.Write("big.bin", "");
    {
        const HANDLE file = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size{};
        size.QuadPart = 5LL * 1024 * 1024 * 1024 + 7;
        EXPECT_TRUE(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
        EXPECT_TRUE(::SetEndOfFile(file));
        ::CloseHandle(file);
    }
    FileAttributes attributes;
    ASSERT_EQ(fs.GetAttributes(big, attributes), kNoError);
    EXPECT_EQ(attributes.size, 5ull * 1024 * 1024 * 1024 + 7);

    // Whole seconds truncated toward zero on both sides of 1970.
    const std::string old = dir.Write("old.txt", "x");
    const struct {
        std::int64_t seconds;
        long nanoseconds;
        std::int64_t expected;
    } cases[] = {{kTime, 999999900, kTime},
                 {0, 0, 0},
                 {-1, 500000000, 0},
                 {-2, 500000000, -1},
                 {-86400, 0, -86400}};
    for (const auto& c : cases) {
        ASSERT_TRUE(TempDir::SetTimes(old, c.seconds, c.nanoseconds));
        ASSERT_EQ(fs.GetAttributes(old, attributes), kNoError);
        EXPECT_EQ(attributes.lastWriteSeconds, c.expected) << c.seconds << " " << c.nanoseconds;
    }
}

TEST(Win32FileSystem, CopyKeepsTheTickAndTheAttributesAndRefusesReadOnlyDestinations) {
    TempDir dir;
    Win32FileSystem fs;
    const std::string from = dir.Write("report.doc", "report");
    ASSERT_TRUE(TempDir::SetTimes(from, kTime, 123456700));
    ASSERT_TRUE(::SetFileAttributesA(from.c_str(), FILE_ATTRIBUTE_HIDDEN));

    const std::string to = dir.File("report.arc");
    ASSERT_EQ(fs.Copy(from, to, false), kNoError);
    EXPECT_EQ(TempDir::Read(to), "report");
    EXPECT_EQ(LastWriteTicks(to), LastWriteTicks(from));
    EXPECT_NE(Attributes(to) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // A read-only archive is refused as CopyFileA refuses it, and stays as it was.
    const std::string locked = dir.Write("locked.arc", "old");
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    SetLastError(kNoError);
    EXPECT_EQ(fs.Copy(from, locked, false), ErrorCode{ERROR_ACCESS_DENIED});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(TempDir::Read(locked), "old");
    EXPECT_TRUE(NoTempFiles(dir));
}

TEST(Win32FileSystem, CopiesAndSavesWriteThroughAHiddenTemporaryFileBeside) {
    TempDir dir;
    HookedFileSystem fs;
    std::vector<std::string> written;
    fs.beforeWrite = [&](HANDLE file) { written.push_back(FinalName(file)); };
    const std::string from = dir.Write("a.txt", "data");
    dir.MakeFolder("arc");

    ASSERT_EQ(fs.Copy(from, dir.File("arc/a.txt"), false), kNoError);
    ASSERT_EQ(fs.WriteAtomically(dir.File("arc/m.bak"), "manager"), kNoError);
    ASSERT_EQ(written.size(), 2u);
    for (const std::string& name : written) {
        const std::string file = name.substr(name.find_last_of('\\') + 1);
        EXPECT_EQ(file.front(), '.') << name;
        EXPECT_EQ(file.substr(file.size() - 4), ".tmp") << name;
        EXPECT_NE(name.find("\\arc\\."), std::string::npos) << name;
    }
    EXPECT_EQ(TempDir::Read(dir.File("arc/m.bak")), "manager");
}

TEST(Win32FileSystem, FailIfExistsHoldsWhenTheDestinationAppearsDuringTheCopy) {
    TempDir dir;
    HookedFileSystem fs;
    const std::string from = dir.Write("a.txt", "new data");
    const std::string to = dir.File("a.arc");
    fs.beforeWrite = [&](HANDLE) {
        if (Attributes(to) == INVALID_FILE_ATTRIBUTES) {
            dir.Write("a.arc", "another program's file");
        }
    };

    SetLastError(kNoError);
    EXPECT_EQ(fs.Copy(from, to, true), ErrorCode{ERROR_FILE_EXISTS});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(TempDir::Read(to), "another program's file");
    EXPECT_TRUE(NoTempFiles(dir));

    // Without failIfExists the same race ends with the complete copy.
    ASSERT_TRUE(::DeleteFileA(to.c_str()));
    EXPECT_EQ(fs.Copy(from, to, false), kNoError);
    EXPECT_EQ(TempDir::Read(to), "new data");
}

TEST(Win32FileSystem, WindowsSpellingsOfOnePath) {
    TempDir dir;
    Win32FileSystem fs;
    dir.MakeFolder("Docs");
    const std::string file = dir.Write("Docs/Report.doc", "r");
    const std::string backslashed = Backslashed(file);
    std::string upper = backslashed;
    for (char& c : upper) {
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    }
    const std::string extended = "\\\\?\\" + backslashed;

    EXPECT_TRUE(fs.IsSameFile(file, upper));
    EXPECT_TRUE(fs.IsSameFile(file, extended));
    EXPECT_EQ(fs.Lookup(upper), PathKind::File);
    EXPECT_EQ(fs.Lookup(extended), PathKind::File);
    FileAttributes attributes;
    EXPECT_EQ(fs.GetAttributes(extended, attributes), kNoError);
    EXPECT_EQ(attributes.size, 1u);

    // Roots and folders with a final separator are folders; wildcards never match a file.
    EXPECT_EQ(fs.Lookup(backslashed.substr(0, 3)), PathKind::Folder);
    EXPECT_EQ(fs.Lookup(Backslashed(dir.File("Docs\\"))), PathKind::Folder);
    EXPECT_EQ(fs.Lookup(Backslashed(dir.File("Docs\\*.doc"))), PathKind::None);
    EXPECT_EQ(fs.Lookup(Backslashed(dir.File("Docs\\Repor?.doc"))), PathKind::None);
    EXPECT_FALSE(fs.IsSameFile(file, dir.File("Docs")));
}

TEST(Win32FileSystem, DriveZReachesTheSameFilesUnderWine) {
    if (!test::UnderWine()) {
        GTEST_SKIP() << "drive Z: is Wine's view of the host";
    }
    TempDir dir;
    Win32FileSystem fs;
    const std::string file = dir.Write("a.txt", "abc");
    ASSERT_TRUE(TempDir::SetTimes(file, kTime));
    const std::string z = test::WineDriveZPath(Backslashed(file));
    ASSERT_EQ(z.substr(0, 3), "Z:\\");

    FileAttributes attributes;
    ASSERT_EQ(fs.GetAttributes(z, attributes), kNoError);
    EXPECT_EQ(attributes.size, 3u);
    EXPECT_EQ(attributes.lastWriteSeconds, kTime);
    ASSERT_EQ(fs.Copy(z, z + ".arc", false), kNoError);
    EXPECT_EQ(TempDir::Read(file + ".arc"), "abc");
    EXPECT_TRUE(fs.IsSameFile(z, test::WineDriveZPath(Backslashed(file + "/../a.txt"))));
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(Win32FileSystem, SuccessfulCopiesAndSavesRemoveOnlyTheirOwnLeftovers) {
    TempDir dir;
    Win32FileSystem fs;
    dir.MakeFolder("arc");
    const std::string from = dir.Write("a.txt", "new");
    dir.Write("arc/.a.txt.0123456789ab.tmp", "half a copy");
    dir.Write("arc/.A.TXT.fedcba987654.tmp", "the same name in capitals");
    const std::string readOnly = dir.Write("arc/.a.txt.00000000cafe.tmp", "a read-only copy");
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::set<std::string> kept = {".a.txt.0123456789ag.tmp",      ".a.txt.0123456789a.tmp",
                                        ".a.txt.0123456789ab.tmp.keep", "a.txt.0123456789ab.tmp",
                                        ".b.txt.0123456789ab.tmp",      ".a.txt.aaaaaaaaaaaa.tmp",
                                        ".a.txt.bbbbbbbbbbbb.tmp",      "a.txt"};
    for (const std::string& name : kept) {
        dir.Write("arc/" + name, "not a leftover of a.txt");
    }
    ASSERT_TRUE(::DeleteFileA(dir.File("arc/.a.txt.aaaaaaaaaaaa.tmp").c_str()));
    dir.MakeFolder("arc/.a.txt.aaaaaaaaaaaa.tmp");
    // A copy still writing keeps its temporary file open without sharing: it stays.
    const HANDLE busy =
        ::CreateFileA(dir.File("arc/.a.txt.bbbbbbbbbbbb.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);

    EXPECT_EQ(fs.Copy(from, dir.File("arc/a.txt"), true), ErrorCode{ERROR_FILE_EXISTS});
    EXPECT_EQ(Names(dir.File("arc")).size(), kept.size() + 3);
    ASSERT_EQ(fs.Copy(from, dir.File("arc/a.txt"), false), kNoError);
    ::CloseHandle(busy);
    EXPECT_EQ(Names(dir.File("arc")), kept);
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "new");

    dir.Write("m.bak", "old");
    dir.Write(".m.bak.00000000beef.tmp", "a killed save");
    ASSERT_EQ(fs.WriteAtomically(dir.File("m.bak"), "saved"), kNoError);
    EXPECT_FALSE(std::filesystem::exists(dir.File(".m.bak.00000000beef.tmp")));
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), "saved");
}

// A restore interrupted while it wrote over the source leaves its temporary file in the
// user's folder; the next successful backup of that source removes it.
TEST(Win32FileSystem, ASuccessfulCopyAlsoRemovesLeftoversBesideItsSource) {
    TempDir dir;
    Win32FileSystem fs;
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    const std::string source = dir.Write("src/a.txt", "current");
    dir.Write("arc/a.txt", "old");
    dir.Write("src/.a.txt.00000000beef.tmp", "an interrupted restore");
    dir.Write("src/.b.txt.00000000beef.tmp", "another file's");

    // A copy that fails, here because the source keeps changing, removes nothing.
    fs.SetAfterDataCopyForTests(
        [](const std::string& path) { std::ofstream(path, std::ios::app) << "+"; });
    SetLastError(kNoError);
    EXPECT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kErrorSourceChanged);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "old");
    EXPECT_EQ(Names(dir.File("src")).size(), 3u);

    fs.SetAfterDataCopyForTests(nullptr);
    ASSERT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kNoError);
    EXPECT_EQ(Names(dir.File("src")), (std::set<std::string>{"a.txt", ".b.txt.00000000beef.tmp"}));
    EXPECT_EQ(Names(dir.File("arc")), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), TempDir::Read(source));
}

TEST(Win32FileSystem, AReadOnlyManagerIsNotSavedOver) {
    TempDir dir;
    Win32FileSystem fs;
    const std::string manager = dir.Write("m.bak", "old manager");
    ASSERT_TRUE(::SetFileAttributesA(manager.c_str(), FILE_ATTRIBUTE_READONLY));
    SetLastError(kNoError);
    EXPECT_EQ(fs.WriteAtomically(manager, "new manager"), ErrorCode{ERROR_ACCESS_DENIED});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(TempDir::Read(manager), "old manager");
    EXPECT_TRUE(NoTempFiles(dir));
}

TEST(Win32FileSystem, ConcurrentQueriesKeepTheirOwnLastErrors) {
    TempDir dir;
    Win32FileSystem fs;
    // A local drive gets the cores; a share (a UNC path, also in its long form) 8 workers,
    // whatever the cores, because each query waits for the server.
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    fs.PlanQueries({dir.File("a.txt"), "relative.txt"});
    EXPECT_EQ(fs.ConcurrentQueries(), cores);
    fs.PlanQueries({dir.File("a.txt"), "\\\\?\\UNC\\server\\share\\b.txt"});
    EXPECT_EQ(fs.ConcurrentQueries(), 8);
    fs.PlanQueries({"\\\\.\\pipe\\x"});
    EXPECT_EQ(fs.ConcurrentQueries(), cores) << "a device name is no share";
    fs.PlanQueries({"//server/share/a.txt"});
    ASSERT_EQ(fs.ConcurrentQueries(), 8);
    dir.Write("a.txt", "abc");
    const std::string paths[] = {dir.File("a.txt"), dir.File("missing.txt"),
                                 dir.File("gone/missing.txt")};
    const ErrorCode codes[] = {kNoError, ErrorCode(ERROR_FILE_NOT_FOUND),
                               ErrorCode(ERROR_PATH_NOT_FOUND)};
    std::vector<int> mismatches(fs.ConcurrentQueries(), 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < fs.ConcurrentQueries(); ++t) {
        threads.emplace_back([&, t] {
            SetLastError(kNoError);
            for (int i = 0; i < 300; ++i) {
                const int which = (t + i) % 3;
                FileAttributes attributes;
                const ErrorCode code = fs.GetAttributes(paths[which], attributes);
                const bool ok =
                    code == codes[which] &&
                    (code == kNoError ? attributes.size == 3u : GetLastError() == kNoError);
                mismatches[t] += ok ? 0 : 1;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(fs.ConcurrentQueries(), 0));
}

TEST(Win32FileSystem, FailuresSetTheWindowsCodes) {
    TempDir dir;
    Win32FileSystem fs;
    dir.MakeFolder("sub");
    SetLastError(kNoError);
    FileAttributes attributes;
    EXPECT_EQ(fs.GetAttributes(dir.File("none\\a.txt"), attributes),
              ErrorCode{ERROR_PATH_NOT_FOUND});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(fs.Remove(dir.File("sub")), ErrorCode{ERROR_ACCESS_DENIED});
    std::string bytes = "stale";
    EXPECT_EQ(fs.ReadAll(dir.File("sub"), bytes), ErrorCode{ERROR_ACCESS_DENIED});
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(fs.CreateEmpty(dir.File("sub")), ErrorCode{ERROR_ACCESS_DENIED});
    EXPECT_EQ(fs.Lookup(dir.File("sub")), PathKind::Folder);

    // An open file that shares nothing cannot be replaced, and is not damaged by trying.
    const std::string busy = dir.Write("busy.arc", "in use");
    const std::string from = dir.Write("a.txt", "new");
    const HANDLE held = ::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ErrorCode code = fs.Copy(from, busy, false);
    ::CloseHandle(held);
    EXPECT_NE(code, kNoError);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(TempDir::Read(busy), "in use");
    EXPECT_TRUE(NoTempFiles(dir));
}

}  // namespace
}  // namespace bh
