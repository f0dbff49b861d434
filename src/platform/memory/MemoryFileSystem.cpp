#include "platform/memory/MemoryFileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "core/base/Format.h"

namespace bh {

namespace {

constexpr std::int64_t kNsPerSecond = 1000000000;
constexpr unsigned kDefaultMode = 0644;
// As the real file systems: a source that keeps changing is given up after this many attempts.
constexpr int kCopyTries = 3;
// The device every file of a MemoryFileSystem reports.
constexpr std::uint64_t kDevice = 1;

// Identities are never reused, so that a file replaced by a copy is a different file.
std::uint64_t NextNodeId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

ErrorCode Fail(ErrorCode code) {
    return code;
}

// "" is the current folder and "/" the root; both always exist.
bool IsRootKey(const std::string& key) {
    return key.empty() || key == "/";
}

std::string ParentKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : key.substr(0, slash);
}

std::string NameOfKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    const std::int64_t m = a % b;
    return m < 0 ? m + b : m;
}

}  // namespace

struct MemoryFileSystem::Node {
    std::uint64_t id = NextNodeId();
    PathKind kind = PathKind::File;
    std::string content;
    bool sizeOnly = false;
    std::uint64_t size = 0;
    unsigned mode = kDefaultMode;
    std::int64_t lastWriteNs = 0;
    std::int64_t lastAccessNs = 0;
    ItemKind special = ItemKind::File;  // Link or Other for AddSpecial's nodes

    std::uint64_t Size() const { return sizeOnly ? size : content.size(); }
};

struct MemoryFileSystem::Fault {
    FaultPoint point;
    int remaining;
};

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::MakeNode(PathKind kind) {
    auto node = std::make_shared<Node>();
    node->kind = kind;
    return node;
}

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

std::string MemoryFileSystem::Normalize(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    const auto flush = [&] {
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (path.empty() || (path[0] != '/' && path[0] != '\\')) {
                parts.push_back(part);
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (const char c : path) {
        if (c == '/' || c == '\\') {
            flush();
        } else {
            part += c;
        }
    }
    flush();
    std::string key = !path.empty() && (path[0] == '/' || path[0] == '\\') ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        key += (i == 0 ? "" : "/") + parts[i];
    }
    return key;
}

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::FindKey(const std::string& key) const {
    if (IsRootKey(key)) {
        static const auto root = MakeNode(PathKind::Folder);
        return root;
    }
    const auto found = nodes_.find(key);
    return found == nodes_.end() ? nullptr : found->second;
}

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::Find(const std::string& path) const {
    return FindKey(Normalize(path));
}

ErrorCode MemoryFileSystem::ParentError(const std::string& key) const {
    const auto parent = FindKey(ParentKey(key));
    if (!parent) {
        return ErrorCode(ENOENT);
    }
    return parent->kind == PathKind::Folder ? kNoError : ErrorCode(ENOTDIR);
}

void MemoryFileSystem::MakeFolders(const std::string& key) {
    if (IsRootKey(key)) {
        return;
    }
    MakeFolders(ParentKey(key));
    auto& node = nodes_[key];
    if (!node || node->kind != PathKind::Folder) {
        node = MakeNode(PathKind::Folder);
    }
}

const MemoryFileSystem::Fault* MemoryFileSystem::TakeFault(FsOperation operation,
                                                           const std::string& path,
                                                           std::uint64_t bytes) {
    for (Fault& fault : faults_) {
        const FaultPoint& point = fault.point;
        if (fault.remaining == 0 || point.operation != operation ||
            path.find(point.pathSubstring) == std::string::npos) {
            continue;
        }
        const bool writes =
            operation == FsOperation::CopyWrite || operation == FsOperation::WriteAtomically;
        if (writes && point.afterBytes != 0 && bytes <= point.afterBytes) {
            continue;  // the data fits before the failing byte
        }
        if (fault.remaining > 0) {
            --fault.remaining;
        }
        return &fault;
    }
    return nullptr;
}

void MemoryFileSystem::Enter(FsOperation operation, const std::string& path,
                             const std::string& second) {
    calls_.push_back({operation, path, second});
    Hook(operation, path);
}

void MemoryFileSystem::Hook(FsOperation operation, const std::string& path) {
    if (beforeCall_) {
        beforeCall_(operation, path);
    }
}

std::int64_t MemoryFileSystem::KeptTime(const std::string& key, std::int64_t ns) const {
    std::size_t bestLength = 0;
    std::int64_t seconds = 0;
    for (const auto& [prefix, step] : granularity_) {
        if (key.compare(0, prefix.size(), prefix) == 0 &&
            (seconds == 0 || prefix.size() >= bestLength)) {
            bestLength = prefix.size();
            seconds = step;
        }
    }
    if (seconds <= 0) {
        return ns;
    }
    const std::int64_t step = seconds * kNsPerSecond;
    const std::int64_t below = ns - FloorMod(ns, step);
    return below == ns ? ns : below + step;
}

std::string MemoryFileSystem::TempKey(const std::string& key) {
    const std::string parent = ParentKey(key);
    const std::string folder = parent.empty() ? "" : (parent == "/" ? "/" : parent + "/");
    std::string temp;
    do {
        temp = folder + "." + NameOfKey(key) + Format(".%04X.tmp", tempCounter_++ & 0xFFFF);
    } while (nodes_.count(temp) != 0);
    return temp;
}

ErrorCode MemoryFileSystem::GetAttributes(const std::string& path, FileAttributes& out) {
    Enter(FsOperation::GetAttributes, path);
    if (const Fault* fault = TakeFault(FsOperation::GetAttributes, path)) {
        return Fail(fault->point.error);
    }
    const auto node = Find(path);
    if (!node) {
        const ErrorCode parent = ParentError(Normalize(path));
        return Fail(parent == ErrorCode(ENOTDIR) ? ErrorCode(ENOTDIR) : ErrorCode(ENOENT));
    }
    out.size = node->kind == PathKind::Folder ? 0 : node->Size();
    out.lastWriteSeconds = node->lastWriteNs / kNsPerSecond;  // truncates toward zero
    out.lastWriteFine = node->lastWriteNs;
    out.device = kDevice;
    out.inode = node->id;
    return kNoError;
}

PathKind MemoryFileSystem::Lookup(const std::string& path) {
    Enter(FsOperation::Lookup, path);
    if (TakeFault(FsOperation::Lookup, path)) {
        return PathKind::None;
    }
    const auto node = Find(path);
    return node ? node->kind : PathKind::None;
}

ErrorCode MemoryFileSystem::Copy(const std::string& from, const std::string& to,
                                 bool failIfExists) {
    Enter(FsOperation::Copy, from, to);
    const ErrorCode code = CopySteps(from, to, failIfExists);
    return code == kNoError ? kNoError : Fail(code);
}

ErrorCode MemoryFileSystem::CopySteps(const std::string& from, const std::string& to,
                                      bool failIfExists) {
    for (int attempt = 1;; ++attempt) {
        const ErrorCode code = CopyAttempt(from, to, failIfExists);
        if (code != kErrorSourceChanged || attempt == kCopyTries) {
            return code;
        }
    }
}

ErrorCode MemoryFileSystem::CopyAttempt(const std::string& from, const std::string& to,
                                        bool failIfExists) {
    Hook(FsOperation::CopyRead, from);
    if (const Fault* fault = TakeFault(FsOperation::CopyRead, from)) {
        return fault->point.error;
    }
    // Held like an open descriptor: a file put in its place or erased later does not change
    // what this attempt reads.
    const auto source = Find(from);
    if (!source) {
        return ErrorCode(ENOENT);
    }
    if (source->kind == PathKind::Folder) {
        return ErrorCode(EISDIR);
    }
    const Node before = *source;
    const std::string key = Normalize(to);
    if (const auto existing = FindKey(key)) {
        if (existing->kind == PathKind::Folder) {
            return ErrorCode(EISDIR);
        }
        if (failIfExists) {
            return ErrorCode(EEXIST);
        }
    }
    if (const ErrorCode parent = ParentError(key); parent != kNoError) {
        return parent;
    }

    const std::string tempKey = TempKey(key);
    auto temp = MakeNode(PathKind::File);
    nodes_[tempKey] = temp;
    const auto discard = [&](ErrorCode code) {
        nodes_.erase(tempKey);
        return code;
    };

    Hook(FsOperation::CopyWrite, to);
    if (const Fault* fault = TakeFault(FsOperation::CopyWrite, to, source->Size())) {
        temp->content = source->content.substr(0, fault->point.afterBytes);
        return discard(fault->point.error);
    }
    // What the real copy compares (size and last-write time), and the content, which stands
    // in for the change time a real write would also move.
    if (source->Size() != before.Size() || source->lastWriteNs != before.lastWriteNs ||
        source->content != before.content) {
        return discard(kErrorSourceChanged);
    }
    temp->content = source->content;
    temp->sizeOnly = source->sizeOnly;
    temp->size = source->size;
    temp->mode = source->mode;
    temp->lastAccessNs = source->lastAccessNs;
    temp->lastWriteNs = KeptTime(key, source->lastWriteNs);

    Hook(FsOperation::CopyRename, to);
    if (const Fault* fault = TakeFault(FsOperation::CopyRename, to)) {
        return discard(fault->point.error);
    }
    if (const auto existing = FindKey(key)) {
        if (existing->kind == PathKind::Folder) {
            return discard(ErrorCode(EISDIR));
        }
        if (failIfExists) {
            return discard(ErrorCode(EEXIST));
        }
    }
    if (const ErrorCode parent = ParentError(key); parent != kNoError) {
        return discard(parent);
    }
    nodes_[key] = temp;
    nodes_.erase(tempKey);
    return kNoError;
}

ErrorCode MemoryFileSystem::Remove(const std::string& path) {
    Enter(FsOperation::Remove, path);
    if (const Fault* fault = TakeFault(FsOperation::Remove, path)) {
        return Fail(fault->point.error);
    }
    const std::string key = Normalize(path);
    const auto node = FindKey(key);
    if (!node) {
        return Fail(ErrorCode(ENOENT));
    }
    if (node->kind == PathKind::Folder) {
        return Fail(ErrorCode(EISDIR));
    }
    nodes_.erase(key);
    return kNoError;
}

ErrorCode MemoryFileSystem::CreateEmpty(const std::string& path) {
    Enter(FsOperation::CreateEmpty, path);
    if (const Fault* fault = TakeFault(FsOperation::CreateEmpty, path)) {
        return Fail(fault->point.error);
    }
    const std::string key = Normalize(path);
    if (const auto existing = FindKey(key)) {
        if (existing->kind == PathKind::Folder) {
            return Fail(ErrorCode(EISDIR));
        }
        existing->content.clear();
        existing->sizeOnly = false;
        existing->lastWriteNs = KeptTime(key, nowNs_);
        return kNoError;
    }
    if (const ErrorCode parent = ParentError(key); parent != kNoError) {
        return Fail(parent);
    }
    auto node = MakeNode(PathKind::File);
    node->lastWriteNs = KeptTime(key, nowNs_);
    node->lastAccessNs = nowNs_;
    nodes_[key] = std::move(node);
    return kNoError;
}

ErrorCode MemoryFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    bytes.clear();
    Enter(FsOperation::ReadAll, path);
    if (const Fault* fault = TakeFault(FsOperation::ReadAll, path)) {
        return Fail(fault->point.error);
    }
    const auto node = Find(path);
    if (!node) {
        return Fail(ErrorCode(ENOENT));
    }
    if (node->kind == PathKind::Folder) {
        return Fail(ErrorCode(EISDIR));
    }
    bytes = node->content;
    return kNoError;
}

ErrorCode MemoryFileSystem::WriteAtomicallyFrom(const std::string& path,
                                                const ChunkSource& source) {
    Enter(FsOperation::WriteAtomically, path);
    // The temporary file: nothing is visible before the whole content is there.
    std::string bytes;
    std::string chunk;
    for (bool more = true; more;) {
        chunk.clear();
        more = source(chunk);
        bytes += chunk;
    }
    if (const Fault* fault = TakeFault(FsOperation::WriteAtomically, path, bytes.size())) {
        return Fail(fault->point.error);
    }
    const std::string key = Normalize(path);
    const auto existing = FindKey(key);
    if (existing && existing->kind == PathKind::Folder) {
        return Fail(ErrorCode(EISDIR));
    }
    if (const ErrorCode parent = ParentError(key); parent != kNoError) {
        return Fail(parent);
    }
    auto node = MakeNode(PathKind::File);
    node->content = std::move(bytes);
    node->mode = existing ? existing->mode : kDefaultMode;
    node->lastWriteNs = KeptTime(key, nowNs_);
    node->lastAccessNs = nowNs_;
    nodes_[key] = std::move(node);
    return kNoError;
}

bool MemoryFileSystem::IsSameFile(const std::string& a, const std::string& b) {
    Enter(FsOperation::IsSameFile, a, b);
    if (TakeFault(FsOperation::IsSameFile, a)) {
        return false;
    }
    const auto first = Find(a);
    return first && first == Find(b);
}

// Linux's limit and code (ENAMETOOLONG is 36 there, but not in every C library), so the fake
// answers alike wherever the tests run.
std::size_t MemoryFileSystem::PathLimitBytes() const {
    return 4096;
}

ErrorCode MemoryFileSystem::PathTooLongError() const {
    return ErrorCode(36);
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content,
                               std::int64_t lastWriteSeconds) {
    const std::string key = Normalize(path);
    MakeFolders(ParentKey(key));
    auto node = MakeNode(PathKind::File);
    node->content = content;
    node->lastWriteNs = lastWriteSeconds * kNsPerSecond;
    node->lastAccessNs = node->lastWriteNs;
    nodes_[key] = std::move(node);
}

void MemoryFileSystem::AddFileOfSize(const std::string& path, std::uint64_t size,
                                     std::int64_t lastWriteSeconds) {
    AddFile(path, "", lastWriteSeconds);
    auto node = FindKey(Normalize(path));
    node->sizeOnly = true;
    node->size = size;
}

void MemoryFileSystem::AddFolder(const std::string& path) {
    MakeFolders(Normalize(path));
}

void MemoryFileSystem::AddLink(const std::string& existingPath, const std::string& newPath) {
    const auto node = Find(existingPath);
    if (!node) {
        return;
    }
    const std::string key = Normalize(newPath);
    MakeFolders(ParentKey(key));
    nodes_[key] = node;
}

void MemoryFileSystem::AddSpecial(const std::string& path, ItemKind kind) {
    AddFile(path, "", 0);
    FindKey(Normalize(path))->special = kind;
}

ErrorCode MemoryFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
    Enter(FsOperation::ListFolder, folder);
    items.clear();
    if (const Fault* fault = TakeFault(FsOperation::ListFolder, folder)) {
        return Fail(fault->point.error);
    }
    const std::string key = Normalize(folder);
    const auto node = FindKey(key);
    if (!node) {
        return Fail(ErrorCode(ENOENT));
    }
    if (node->kind != PathKind::Folder) {
        return Fail(ErrorCode(ENOTDIR));
    }
    const std::string prefix = IsRootKey(key) ? key : key + "/";
    for (auto it = nodes_.lower_bound(prefix);
         it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string name = it->first.substr(prefix.size());
        if (name.empty() || name.find('/') != std::string::npos) {
            continue;  // deeper down
        }
        const Node& child = *it->second;
        items.push_back({name, child.kind == PathKind::Folder ? ItemKind::Folder : child.special});
    }
    return kNoError;
}

ErrorCode MemoryFileSystem::CreateFolders(const std::string& path) {
    Enter(FsOperation::CreateFolders, path);
    if (const Fault* fault = TakeFault(FsOperation::CreateFolders, path)) {
        return Fail(fault->point.error);
    }
    const std::string key = Normalize(path);
    for (std::string above = key; !above.empty() && !IsRootKey(above); above = ParentKey(above)) {
        if (const auto node = FindKey(above); node && node->kind != PathKind::Folder) {
            return Fail(above == key ? ErrorCode(EEXIST) : ErrorCode(ENOTDIR));
        }
    }
    MakeFolders(key);
    return kNoError;
}

ErrorCode MemoryFileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    Enter(FsOperation::Move, from, to);
    if (const Fault* fault = TakeFault(FsOperation::Move, from)) {
        return Fail(fault->point.error);
    }
    const std::string fromKey = Normalize(from);
    const std::string toKey = Normalize(to);
    const auto node = FindKey(fromKey);
    if (!node) {
        return Fail(ErrorCode(ENOENT));
    }
    if (node->kind == PathKind::Folder) {
        return Fail(ErrorCode(EISDIR));
    }
    if (FindKey(toKey)) {
        return Fail(ErrorCode(EEXIST));
    }
    if (const ErrorCode parent = ParentError(toKey); parent != kNoError) {
        return Fail(parent);
    }
    nodes_[toKey] = node;
    nodes_.erase(fromKey);
    return kNoError;
}

void MemoryFileSystem::Erase(const std::string& path) {
    const std::string key = Normalize(path);
    const std::string inside = key == "/" ? key : key + "/";
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        const bool below = key.empty() || it->first.compare(0, inside.size(), inside) == 0;
        it = (it->first == key || below) ? nodes_.erase(it) : std::next(it);
    }
}

bool MemoryFileSystem::Exists(const std::string& path) const {
    return Find(path) != nullptr;
}

bool MemoryFileSystem::IsFolder(const std::string& path) const {
    const auto node = Find(path);
    return node && node->kind == PathKind::Folder;
}

std::string MemoryFileSystem::Content(const std::string& path) const {
    const auto node = Find(path);
    return node ? node->content : std::string();
}

std::uint64_t MemoryFileSystem::Size(const std::string& path) const {
    const auto node = Find(path);
    return node ? node->Size() : 0;
}

std::int64_t MemoryFileSystem::LastWrite(const std::string& path) const {
    return LastWriteNs(path) / kNsPerSecond;
}

std::int64_t MemoryFileSystem::LastWriteNs(const std::string& path) const {
    const auto node = Find(path);
    return node ? node->lastWriteNs : 0;
}

std::int64_t MemoryFileSystem::LastAccessNs(const std::string& path) const {
    const auto node = Find(path);
    return node ? node->lastAccessNs : 0;
}

unsigned MemoryFileSystem::Mode(const std::string& path) const {
    const auto node = Find(path);
    return node ? node->mode : 0;
}

void MemoryFileSystem::SetLastWrite(const std::string& path, std::int64_t seconds) {
    SetLastWriteNs(path, seconds * kNsPerSecond);
}

void MemoryFileSystem::SetLastWriteNs(const std::string& path, std::int64_t nanoseconds) {
    if (const auto node = Find(path)) {
        node->lastWriteNs = nanoseconds;
    }
}

void MemoryFileSystem::SetLastAccessNs(const std::string& path, std::int64_t nanoseconds) {
    if (const auto node = Find(path)) {
        node->lastAccessNs = nanoseconds;
    }
}

void MemoryFileSystem::SetMode(const std::string& path, unsigned mode) {
    if (const auto node = Find(path)) {
        node->mode = mode;
    }
}

void MemoryFileSystem::SetContent(const std::string& path, const std::string& content) {
    if (const auto node = Find(path)) {
        node->content = content;
        node->sizeOnly = false;
    }
}

std::vector<std::string> MemoryFileSystem::Paths() const {
    std::vector<std::string> files;
    for (const auto& [key, node] : nodes_) {
        if (node->kind != PathKind::Folder) {
            files.push_back(key);
        }
    }
    return files;
}

void MemoryFileSystem::SetTimeGranularity(std::int64_t seconds, const std::string& pathPrefix) {
    granularity_.emplace_back(Normalize(pathPrefix), seconds);
}

void MemoryFileSystem::InjectFailure(const FaultPoint& fault) {
    faults_.push_back({fault, fault.count});
}

void MemoryFileSystem::ClearFailures() {
    faults_.clear();
}

void MemoryFileSystem::SetBeforeCall(std::function<void(FsOperation, const std::string&)> hook) {
    beforeCall_ = std::move(hook);
}

int MemoryFileSystem::CountCalls(FsOperation operation, const std::string& pathSubstring) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const FsCall& c) {
        return c.operation == operation && c.path.find(pathSubstring) != std::string::npos;
    }));
}

}  // namespace bh
