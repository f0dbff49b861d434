// The worlds a model-based session test runs in: the in-memory file system and real
// temporary folders behind one interface, with the faults a session injects, and a user
// interface whose script is made new for every step.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/LastError.h"
#include "core/ports/UserInterface.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh::test {

inline constexpr ErrorCode kSessionDenied{13};    // EACCES
inline constexpr ErrorCode kSessionDiskFull{28};  // ENOSPC

// One spelling per file: repeated separators and "." parts dropped, as both file systems
// read a path.
inline std::string CanonicalPath(const std::string& path) {
    std::string out = !path.empty() && path[0] == '/' ? "/" : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            out += (out.empty() || out.back() == '/' ? "" : "/") + part;
        }
        start = end + 1;
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// The files a session runs on. The core reaches them only through Fs(); the test reads and
// changes them behind the core's back, as a user with another program would.

// A source that its user keeps saving while it is being copied. Its bytes are
// field(head) + a fixed middle + field(tail); save k + 1 writes the head counter, then the
// tail counter, then sets a last-write time one second later, so the file only ever holds
// (k, k) or (k + 1, k). A copy that holds any other pair mixes two saves.
inline constexpr std::size_t kChurnFieldSize = 16;
struct Churn {
    // The file's size; a file of another size at the path is no longer the one being saved
    // (a command replaced it), and its copies go on as usual.
    std::uint64_t size = 0;
    // The kChurnFieldSize bytes of counter k; safe to call from another thread.
    std::function<std::string(int k)> field;
    // Called once the copy returned, with whether it succeeded and the bytes it published.
    std::function<void(const std::string& to, bool copied, const std::string& published)> done;
};

class World {
  public:
    virtual ~World() = default;

    virtual FileSystem& Fs() = 0;
    virtual const std::string& Root() const = 0;

    // Writes a whole file (making its folders) with a last-write time in whole seconds.
    virtual void Write(const std::string& path, const std::string& content,
                       std::int64_t seconds) = 0;
    virtual void SetTime(const std::string& path, std::int64_t seconds) = 0;
    // Rewrites a file in place, keeping its last-write second but moving the time on by a
    // microsecond, as an editor saving within the same second does.
    virtual void ChangeInPlace(const std::string& path, const std::string& content) = 0;
    // The last-write time in whole seconds; 0 for a missing path.
    virtual std::int64_t Time(const std::string& path) const = 0;
    // The bytes of a file; nothing for a folder or a missing path.
    virtual std::optional<std::string> Read(const std::string& path) const = 0;
    virtual bool IsFolder(const std::string& path) const = 0;
    // Deletes a file or a folder with everything in it.
    virtual void Delete(const std::string& path) = 0;
    virtual void MakeFolder(const std::string& path) = 0;
    // Every file (not folder) below Root().
    virtual std::vector<std::string> Files() const = 0;

    // Faults for the next command. A path ending in "/" is a folder that cannot be written
    // (no file created, replaced or deleted in it); any other path is a file that cannot be
    // replaced.
    virtual void DenyWrites(const std::string& path) = 0;
    // Every write of a file stops after `afterBytes` bytes: the disk is full.
    virtual void FillDisk(std::uint64_t afterBytes) = 0;
    // Runs `change` once while the next copy of `source` is under way (the in-memory file
    // system, between reading the source and writing the copy) or just before it starts (real
    // folders, where no step of the copy can be reached). It gets the copy's destination.
    virtual void ChangeDuringCopy(const std::string& source,
                                  std::function<void(const std::string&)> change) = 0;
    // Whether something can run beside a copy here (KeepSavingDuringCopy).
    virtual bool CanSaveDuringCopy() const { return false; }
    // Keeps saving `source` for as long as its next copy runs.
    virtual void KeepSavingDuringCopy(const std::string& source, Churn churn) {
        (void)source, (void)churn;
    }
    // Forgets KeepSavingDuringCopy before its copy came (the file was changed otherwise).
    virtual void StopSaving() {}
    virtual void BeginCommand() {}
    // Clears every fault.
    virtual void EndCommand() = 0;
};

class MemoryWorld : public World {
  public:
    MemoryWorld() { fs_.AddFolder(root_); }

    FileSystem& Fs() override { return fs_; }
    const std::string& Root() const override { return root_; }
    void Write(const std::string& path, const std::string& content, std::int64_t seconds) override {
        if (fs_.IsFolder(path)) {
            fs_.Erase(path);
        }
        fs_.AddFile(path, content, seconds);
    }
    void SetTime(const std::string& path, std::int64_t seconds) override {
        fs_.SetLastWrite(path, seconds);
    }
    std::int64_t Time(const std::string& path) const override { return fs_.LastWrite(path); }
    void ChangeInPlace(const std::string& path, const std::string& content) override {
        const std::int64_t time = fs_.LastWriteNs(path);
        fs_.SetContent(path, content);
        fs_.SetLastWriteNs(path, time + 1000);
    }
    std::optional<std::string> Read(const std::string& path) const override {
        if (!fs_.Exists(path) || fs_.IsFolder(path)) {
            return std::nullopt;
        }
        return fs_.Content(path);
    }
    bool IsFolder(const std::string& path) const override { return fs_.IsFolder(path); }
    void Delete(const std::string& path) override { fs_.Erase(path); }
    void MakeFolder(const std::string& path) override { fs_.AddFolder(path); }
    std::vector<std::string> Files() const override { return fs_.Paths(); }

    void DenyWrites(const std::string& path) override {
        const bool folder = path.back() == '/';
        for (const FsOperation operation :
             {FsOperation::CopyWrite, FsOperation::CreateEmpty, FsOperation::WriteAtomically}) {
            fs_.InjectFailure({operation, path, kSessionDenied, 0, -1});
        }
        if (folder) {
            fs_.InjectFailure({FsOperation::Remove, path, kSessionDenied, 0, -1});
        }
    }
    void FillDisk(std::uint64_t afterBytes) override {
        fs_.InjectFailure({FsOperation::CopyWrite, "", kSessionDiskFull, afterBytes, -1});
        fs_.InjectFailure({FsOperation::WriteAtomically, "", kSessionDiskFull, afterBytes, -1});
    }
    void ChangeDuringCopy(const std::string& source,
                          std::function<void(const std::string&)> change) override {
        // The copy's steps name the source only when reading it; the publishing step that
        // follows belongs to the same copy.
        auto reading = std::make_shared<bool>(false);
        auto done = std::make_shared<bool>(false);
        fs_.SetBeforeCall(
            [source, change, reading, done](FsOperation operation, const std::string& path) {
                if (*done) {
                    return;
                }
                if (operation == FsOperation::CopyRead) {
                    *reading = MemoryFileSystem::Normalize(path) == CanonicalPath(source);
                } else if (operation == FsOperation::CopyWrite && *reading) {
                    *done = true;
                    change(MemoryFileSystem::Normalize(path));
                }
            });
    }
    void EndCommand() override {
        fs_.ClearFailures();
        fs_.SetBeforeCall(nullptr);
    }

  private:
    MemoryFileSystem fs_;
    std::string root_ = "/w";
};

// The POSIX file system with injected refusals. Tests run as root in CI, where a mode
// does not stop a write, so unwritable files and folders are injected here.
class FaultyPosix : public FileSystemWrapper {
  public:
    explicit FaultyPosix(FileSystem& inner) : FileSystemWrapper(inner) {}

    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override {
        return CopyOne(from, to, failIfExists, false);
    }
    // The copies that meet an injected fault, or a change armed for their source, go one by
    // one; the others reach the real file system's batch as one.
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        std::vector<ErrorCode> results(requests.size(), kNoError);
        std::vector<CopyRequest> batch;
        std::vector<std::size_t> positions;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const std::string source = CanonicalPath(*requests[i].from);
            if (Denied(*requests[i].to, true) || (change_ && source == changeSource_) ||
                (churn_ && source == churnSource_)) {
                results[i] = CopyOne(*requests[i].from, *requests[i].to, false, true);
            } else {
                batch.push_back(requests[i]);
                positions.push_back(i);
            }
        }
        if (!batch.empty()) {
            const std::vector<ErrorCode> done = Inner().CopyBatch(batch);
            for (std::size_t i = 0; i < done.size(); ++i) {
                results[positions[i]] = done[i];
            }
        }
        return results;
    }
    ErrorCode Remove(const std::string& path) override {
        return Denied(path, false) ? Deny() : FileSystemWrapper::Remove(path);
    }
    ErrorCode CreateEmpty(const std::string& path) override {
        return Denied(path, true) ? Deny() : FileSystemWrapper::CreateEmpty(path);
    }
    ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) override {
        return Denied(path, true) ? Deny() : FileSystemWrapper::WriteAtomicallyFrom(path, source);
    }

    std::vector<std::string> denied;
    void ArmChange(const std::string& source, std::function<void(const std::string&)> change) {
        changeSource_ = CanonicalPath(source);
        change_ = std::move(change);
    }
    void ArmChurn(const std::string& source, Churn churn) {
        churnSource_ = CanonicalPath(source);
        churn_ = std::move(churn);
    }
    void DisarmChurn() { churn_.reset(); }
    void Clear() {
        denied.clear();
        change_ = nullptr;
        churn_.reset();
    }

  private:
    // One copy with the faults and changes armed for it, by the real file system's single
    // copy or, for a copy that came in a batch, by a batch of one.
    ErrorCode CopyOne(const std::string& from, const std::string& to, bool failIfExists,
                      bool batched) {
        struct stat st {};
        if (churn_ && CanonicalPath(from) == churnSource_ && !Denied(to, true) &&
            ::stat(from.c_str(), &st) == 0 &&
            static_cast<std::uint64_t>(st.st_size) == churn_->size) {
            Churn churn = std::move(*churn_);
            churn_.reset();
            return CopyWhileSaving(from, to, failIfExists, batched, churn);
        }
        if (change_ && CanonicalPath(from) == changeSource_) {
            const auto change = std::move(change_);
            change_ = nullptr;
            change(to);
        }
        if (Denied(to, true)) {
            return Deny();
        }
        return RealCopy(from, to, failIfExists, batched);
    }
    ErrorCode RealCopy(const std::string& from, const std::string& to, bool failIfExists,
                       bool batched) {
        return batched ? Inner().CopyBatch({{&from, &to}}).front()
                       : FileSystemWrapper::Copy(from, to, failIfExists);
    }
    // The real copy while another thread saves the source again and again. The saves start
    // as soon as the copy has written its first bytes into its temporary file, when it has
    // read the start of the source and not yet its end, and go on until the copy returns.
    ErrorCode CopyWhileSaving(const std::string& from, const std::string& to, bool failIfExists,
                              bool batched, const Churn& churn) {
        struct stat st {};
        if (::stat(from.c_str(), &st) != 0) {
            return RealCopy(from, to, failIfExists, batched);
        }
        const off_t tail = st.st_size - static_cast<off_t>(kChurnFieldSize);
        const std::size_t slash = to.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch >= 0) {
            ::inotify_add_watch(watch, folder.c_str(), IN_MODIFY);
        }
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            for (bool copying = watch < 0; !copying && !stop.load();) {
                pollfd ready{watch, POLLIN, 0};
                if (::poll(&ready, 1, 5) <= 0) {
                    continue;
                }
                alignas(inotify_event) char events[4096];
                const ssize_t length = ::read(watch, events, sizeof events);
                for (ssize_t at = 0; at < length;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    const std::string name = event->len > 0 ? event->name : "";
                    copying = copying || (name.size() > 4 && name[0] == '.' &&
                                          name.compare(name.size() - 4, 4, ".tmp") == 0);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
            const int fd = stop.load() ? -1 : ::open(from.c_str(), O_WRONLY | O_CLOEXEC);
            for (int k = 1; fd >= 0 && !stop.load() && k < 1000000; ++k) {
                const std::string field = churn.field(k);
                const timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + k, 0}};
                if (::pwrite(fd, field.data(), kChurnFieldSize, 0) !=
                        static_cast<ssize_t>(kChurnFieldSize) ||
                    ::pwrite(fd, field.data(), kChurnFieldSize, tail) !=
                        static_cast<ssize_t>(kChurnFieldSize) ||
                    ::futimens(fd, times) != 0) {
                    break;
                }
            }
            if (fd >= 0) {
                ::close(fd);
            }
        });
        const ErrorCode error = RealCopy(from, to, failIfExists, batched);
        stop.store(true);
        writer.join();
        if (watch >= 0) {
            ::close(watch);
        }
        std::string published;
        if (error == kNoError) {
            published = TempDir::Read(to);
        }
        churn.done(to, error == kNoError, published);
        return error;
    }

    bool Denied(const std::string& path, bool fileRulesToo) const {
        for (const std::string& rule : denied) {
            if (rule.back() == '/' ? path.compare(0, rule.size(), rule) == 0
                                   : fileRulesToo && path == rule) {
                return true;
            }
        }
        return false;
    }
    static ErrorCode Deny() { return kSessionDenied; }

    std::string changeSource_;
    std::function<void(const std::string&)> change_;
    std::string churnSource_;
    std::optional<Churn> churn_;
};

class RealWorld : public World {
  public:
    RealWorld() {
        // A write past the file size limit (the full disk below) fails with EFBIG instead of
        // ending the program.
        ::signal(SIGXFSZ, SIG_IGN);
    }

    FileSystem& Fs() override { return fs_; }
    const std::string& Root() const override { return dir_.Path(); }
    void Write(const std::string& path, const std::string& content, std::int64_t seconds) override {
        namespace fs = std::filesystem;
        if (fs::is_directory(path)) {
            fs::remove_all(path);
        }
        fs::create_directories(fs::path(path).parent_path());
        WithoutLimit([&] {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << content;
        });
        TempDir::SetTimes(path, seconds);
    }
    void SetTime(const std::string& path, std::int64_t seconds) override {
        TempDir::SetTimes(path, seconds);
    }
    std::int64_t Time(const std::string& path) const override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtim.tv_sec) : 0;
    }
    void ChangeInPlace(const std::string& path, const std::string& content) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return;
        }
        WithoutLimit([&] {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << content;
        });
        TempDir::SetTimes(path, st.st_mtim.tv_sec,
                          st.st_mtim.tv_nsec + 1000 < 1000000000 ? st.st_mtim.tv_nsec + 1000
                                                                 : st.st_mtim.tv_nsec);
    }
    // Files are read again only when their inode, size or change time moved, as the checks
    // read every file after every step.
    std::optional<std::string> Read(const std::string& path) const override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return std::nullopt;
        }
        const std::array<std::int64_t, 5> key = {
            static_cast<std::int64_t>(st.st_dev), static_cast<std::int64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_ctim.tv_sec),
            static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
        auto& cached = readCache_[path];
        if (cached.first != key) {
            cached = {key, TempDir::Read(path)};
        }
        return cached.second;
    }
    bool IsFolder(const std::string& path) const override {
        std::error_code error;
        return std::filesystem::is_directory(path, error);
    }
    void Delete(const std::string& path) override {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    void MakeFolder(const std::string& path) override { std::filesystem::create_directories(path); }
    std::vector<std::string> Files() const override {
        std::vector<std::string> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(dir_.Path())) {
            if (!item.is_directory()) {
                files.push_back(item.path().string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    void DenyWrites(const std::string& path) override { fs_.denied.push_back(path); }
    // The file size limit makes every write past `afterBytes` fail part way, as a full disk
    // does, in the real copy and save code.
    void FillDisk(std::uint64_t afterBytes) override { fileSizeLimit_ = afterBytes; }
    void ChangeDuringCopy(const std::string& source,
                          std::function<void(const std::string&)> change) override {
        fs_.ArmChange(source, std::move(change));
    }
    bool CanSaveDuringCopy() const override { return true; }
    void KeepSavingDuringCopy(const std::string& source, Churn churn) override {
        fs_.ArmChurn(source, std::move(churn));
    }
    void StopSaving() override { fs_.DisarmChurn(); }
    void BeginCommand() override {
        if (fileSizeLimit_) {
            ::getrlimit(RLIMIT_FSIZE, &savedLimit_);
            rlimit limit = savedLimit_;
            limit.rlim_cur = static_cast<rlim_t>(*fileSizeLimit_);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            limited_ = true;
        }
    }
    void EndCommand() override {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &savedLimit_);
            limited_ = false;
        }
        fileSizeLimit_.reset();
        fs_.Clear();
    }

  private:
    // The test's own writes are not part of the full disk a command meets.
    void WithoutLimit(const std::function<void()>& write) {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &savedLimit_);
        }
        write();
        if (limited_) {
            rlimit limit = savedLimit_;
            limit.rlim_cur = static_cast<rlim_t>(*fileSizeLimit_);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
    }

    TempDir dir_;
    mutable std::map<std::string, std::pair<std::array<std::int64_t, 5>, std::string>> readCache_;
    PosixFileSystem posix_;
    FaultyPosix fs_{posix_};
    std::optional<std::uint64_t> fileSizeLimit_;
    rlimit savedLimit_{};
    bool limited_ = false;
};

// ---------------------------------------------------------------------------------------
// A user interface whose script is made new for every step, so that an answer one step did
// not use never reaches the next.

class StepUi : public UserInterface {
  public:
    ScriptedUserInterface& Script() { return *script_; }
    void NewStep() { script_ = std::make_unique<ScriptedUserInterface>(); }

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        return script_->MessageBox(text, caption, flags);
    }
    FileDialogResult FileDialog(const FileDialogRequest& request) override {
        return script_->FileDialog(request);
    }
    int Prompt(PromptRequest& request) override { return script_->Prompt(request); }
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override {
        return script_->ChooseFromList(text, caption, items);
    }
    void Beep() override { script_->Beep(); }
    void BeginWaitCursor() override { script_->BeginWaitCursor(); }
    void EndWaitCursor() override { script_->EndWaitCursor(); }
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override {
        return script_->CreateStatusProgress(caption);
    }
    void ShowIdleMessage() override { script_->ShowIdleMessage(); }
    void RefreshCaption(const std::string& title) override { script_->RefreshCaption(title); }

  private:
    std::unique_ptr<ScriptedUserInterface> script_ = std::make_unique<ScriptedUserInterface>();
};

}  // namespace bh::test
