// The wrapper forwards every method of the file system port, and the test notices a method
// added to the port later: CMake counts the port's virtual methods (BH_FILESYSTEM_VIRTUALS)
// and the count of methods exercised here must match it.
#include "platform/memory/FileSystemWrapper.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace bh {
namespace {

// Answers every call with a value of its own and records which method was called with what.
class RecordingFileSystem : public FileSystem {
  public:
    std::vector<std::string> calls;

    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override {
        calls.push_back("GetAttributes " + path);
        out.size = 41;
        return ErrorCode(101);
    }
    int ConcurrentQueries() const override {
        const_cast<RecordingFileSystem*>(this)->calls.push_back("ConcurrentQueries");
        return 5;
    }
    void PlanQueries(const std::vector<std::string>& samplePaths) override {
        std::string call = "PlanQueries";
        for (const std::string& path : samplePaths) {
            call += " " + path;
        }
        calls.push_back(call);
    }
    PathKind Lookup(const std::string& path) override {
        calls.push_back("Lookup " + path);
        return PathKind::Folder;
    }
    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override {
        calls.push_back("Copy " + from + " " + to + (failIfExists ? " fail" : " replace"));
        return ErrorCode(102);
    }
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        calls.push_back("CopyBatch " + *requests.at(0).from + " " + *requests.at(0).to);
        return {ErrorCode(103), ErrorCode(104)};
    }
    ErrorCode Remove(const std::string& path) override {
        calls.push_back("Remove " + path);
        return ErrorCode(105);
    }
    ErrorCode CreateEmpty(const std::string& path) override {
        calls.push_back("CreateEmpty " + path);
        return ErrorCode(106);
    }
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override {
        calls.push_back("ReadAll " + path);
        bytes = "read";
        return ErrorCode(107);
    }
    ErrorCode OpenForReading(const std::string& path, std::unique_ptr<FileReader>& out) override {
        calls.push_back("OpenForReading " + path);
        out = std::make_unique<StringFileReader>("parts");
        return ErrorCode(110);
    }
    ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) override {
        std::string bytes;
        for (bool more = true; more;) {
            std::string chunk;
            more = source(chunk);
            bytes += chunk + "|";
        }
        calls.push_back("WriteAtomicallyFrom " + path + " " + bytes);
        return ErrorCode(108);
    }
    ErrorCode ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
        calls.push_back("ListFolder " + folder);
        items = {{"n", ItemKind::Link}};
        return ErrorCode(111);
    }
    ErrorCode CreateFolders(const std::string& path) override {
        calls.push_back("CreateFolders " + path);
        return ErrorCode(112);
    }
    ErrorCode MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        calls.push_back("MoveWithoutReplacing " + from + " " + to);
        return ErrorCode(113);
    }
    bool IsSameFile(const std::string& a, const std::string& b) override {
        calls.push_back("IsSameFile " + a + " " + b);
        return true;
    }
    std::size_t PathLimitBytes() const override {
        const_cast<RecordingFileSystem*>(this)->calls.push_back("PathLimitBytes");
        return 77;
    }
    ErrorCode PathTooLongError() const override {
        const_cast<RecordingFileSystem*>(this)->calls.push_back("PathTooLongError");
        return ErrorCode(109);
    }
};

TEST(FileSystemWrapperTest, ForwardsEveryMethodOfThePortWithItsArgumentsAndResult) {
    RecordingFileSystem inner;
    FileSystemWrapper wrapper(inner);
    FileSystem& fs = wrapper;

    FileAttributes attributes;
    EXPECT_EQ(fs.GetAttributes("/a", attributes), ErrorCode(101));
    EXPECT_EQ(attributes.size, 41u);
    EXPECT_EQ(fs.ConcurrentQueries(), 5);
    fs.PlanQueries({"/n", "/o"});
    EXPECT_EQ(fs.Lookup("/b"), PathKind::Folder);
    EXPECT_EQ(fs.Copy("/c", "/d", true), ErrorCode(102));
    const std::string from = "/e";
    const std::string to = "/f";
    EXPECT_EQ(fs.CopyBatch({{&from, &to}}),
              (std::vector<ErrorCode>{ErrorCode(103), ErrorCode(104)}));
    EXPECT_EQ(fs.Remove("/g"), ErrorCode(105));
    EXPECT_EQ(fs.CreateEmpty("/h"), ErrorCode(106));
    std::string bytes;
    EXPECT_EQ(fs.ReadAll("/i", bytes), ErrorCode(107));
    EXPECT_EQ(bytes, "read");
    std::unique_ptr<FileReader> reader;
    EXPECT_EQ(fs.OpenForReading("/m", reader), ErrorCode(110));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->Size(), 5u);
    int parts = 0;
    EXPECT_EQ(fs.WriteAtomicallyFrom("/j",
                                     [&parts](std::string& chunk) {
                                         chunk += "part" + std::to_string(++parts);
                                         return parts < 2;
                                     }),
              ErrorCode(108));
    std::vector<FileSystem::FolderItem> items;
    EXPECT_EQ(fs.ListFolder("/p", items), ErrorCode(111));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, FileSystem::ItemKind::Link);
    EXPECT_EQ(fs.CreateFolders("/q"), ErrorCode(112));
    EXPECT_EQ(fs.MoveWithoutReplacing("/r", "/s"), ErrorCode(113));
    EXPECT_TRUE(fs.IsSameFile("/k", "/l"));
    EXPECT_EQ(fs.PathLimitBytes(), 77u);
    EXPECT_EQ(fs.PathTooLongError(), ErrorCode(109));

    const std::vector<std::string> expected = {"GetAttributes /a",
                                               "ConcurrentQueries",
                                               "PlanQueries /n /o",
                                               "Lookup /b",
                                               "Copy /c /d fail",
                                               "CopyBatch /e /f",
                                               "Remove /g",
                                               "CreateEmpty /h",
                                               "ReadAll /i",
                                               "OpenForReading /m",
                                               "WriteAtomicallyFrom /j part1|part2|",
                                               "ListFolder /p",
                                               "CreateFolders /q",
                                               "MoveWithoutReplacing /r /s",
                                               "IsSameFile /k /l",
                                               "PathLimitBytes",
                                               "PathTooLongError"};
    EXPECT_EQ(inner.calls, expected);

    // One call above per virtual method of the port: a method added to the port is added
    // here (and to the wrapper) before this passes.
    std::set<std::string> methods;
    for (const std::string& call : expected) {
        methods.insert(call.substr(0, call.find(' ')));
    }
    EXPECT_EQ(methods.size(), static_cast<std::size_t>(BH_FILESYSTEM_VIRTUALS));
}

}  // namespace
}  // namespace bh
