#include "cli/Schedule.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/base/Format.h"

namespace bh::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnitPrefix = "brackenhold-backup-";
constexpr const char* kManagerKey = "X-Brackenhold-Manager=";
constexpr const char* kHoursKey = "X-Brackenhold-Hours=";

// The path as printable ASCII without spaces, backslashes or percent signs (each written
// %HH), so that systemd keeps the line as it is and the listing reads it back exactly.
std::string EncodeValue(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '%' || c == '\\') {
            out += Format("%%%02X", byte);
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// EncodeValue read back; a stray % (an edited file) stays as it is.
std::string DecodeValue(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const int high = at + 2 < text.size() ? HexDigit(text[at + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[at + 2]) : -1;
        if (text[at] == '%' && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            at += 2;
        } else {
            out += text[at];
        }
    }
    return out;
}

// Writes the file through a temporary beside it and a rename, so that systemd never reads
// half a unit and an old unit stays whole when the write fails.
std::error_code WriteAtomically(const fs::path& path, const std::string& text) {
    std::random_device random;
    const fs::path temp =
        path.parent_path() / Format(".%s.%08x.tmp", path.filename().string().c_str(), random());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            return std::make_error_code(std::errc::io_error);
        }
    }
    std::error_code error;
    fs::rename(temp, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temp, ignored);
    }
    return error;
}

std::string ReasonOf(const ProcessResult& result) {
    return result.message.empty() ? Format("exit status %d", result.exitCode) : result.message;
}

#ifndef _WIN32
// Whether another user could change the manager a timer runs unattended: they would choose
// what it copies where (the user's private files into a folder they can read). Its owner
// must be the user (or the system), and neither it nor its folder open to everyone's writes
// (a folder with the sticky bit lets no one replace another's file).
std::optional<std::string> ForeignControl(const std::string& manager) {
    struct stat file {};
    if (::stat(manager.c_str(), &file) != 0) {
        return std::nullopt;  // reported by the caller's own look
    }
    if (file.st_uid != ::geteuid() && file.st_uid != 0) {
        return manager + ": owned by another user, so it cannot be scheduled";
    }
    if ((file.st_mode & S_IWOTH) != 0) {
        return manager + ": every user may write it, so it cannot be scheduled";
    }
    std::error_code ignored;
    const fs::path real = fs::weakly_canonical(fs::path(manager), ignored);
    for (const fs::path& path : {fs::path(manager), real}) {
        const std::string folder = path.parent_path().string();
        struct stat st {};
        if (!folder.empty() && ::stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IWOTH) != 0 &&
            (st.st_mode & S_ISVTX) == 0) {
            return manager + ": every user may replace it in " + folder +
                   ", so it cannot be scheduled";
        }
    }
    return std::nullopt;
}
#endif

// The manager must be a file whose path a unit can hold, and only the user's to change.
std::optional<std::string> ManagerProblem(const std::string& manager) {
    if (manager.find_first_of("\r\n") != std::string::npos) {
        return manager + ": a path with a line break cannot be scheduled";
    }
    std::error_code error;
    const fs::file_status status = fs::status(manager, error);
    if (error) {
        return manager + ": " + error.message();
    }
    if (fs::is_directory(status)) {
        return manager + ": " + std::make_error_code(std::errc::is_a_directory).message();
    }
#ifndef _WIN32
    return ForeignControl(manager);
#else
    return std::nullopt;
#endif
}

std::optional<ScheduleEntry> ReadTimer(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    ScheduleEntry entry;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(kManagerKey)) {
            entry.manager = DecodeValue(line.substr(std::string(kManagerKey).size()));
        } else if (line.starts_with(kHoursKey)) {
            entry.hours =
                ParseScheduleHours(line.substr(std::string(kHoursKey).size())).value_or(0);
        }
    }
    if (entry.manager.empty() || entry.hours == 0) {
        return std::nullopt;
    }
    entry.unitName = path.stem().string();
    return entry;
}

}  // namespace

std::optional<int> ParseScheduleHours(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int hours = std::stoi(text);
    if (hours < kMinScheduleHours || hours > kMaxScheduleHours) {
        return std::nullopt;
    }
    return hours;
}

std::string ScheduleUnitName(const std::string& manager) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : manager) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    std::string name = kUnitPrefix;
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += "0123456789abcdef"[(hash >> shift) & 0xF];
    }
    return name;
}

std::string SystemdWord(const std::string& word) {
    std::string out = "\"";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += {'\\', c};
        } else if (c == '%' || c == '$') {
            out += {c, c};
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += Format("\\x%02x", byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ServiceUnitText(const std::string& cliPath, const std::string& manager) {
    return "[Unit]\n"
           "Description=Brackenhold scheduled backup\n" +
           std::string(kManagerKey) + EncodeValue(manager) +
           "\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "ExecStart=" +
           SystemdWord(cliPath) + " backup --quiet --notify -- " + SystemdWord(manager) + "\n";
}

std::string TimerUnitText(const std::string& manager, int hours) {
    return Format(
        "[Unit]\n"
        "Description=Brackenhold scheduled backup every %d %s\n"
        "%s%s\n"
        "%s%d\n"
        "\n"
        "[Timer]\n"
        "OnActiveSec=%dh\n"
        "OnUnitActiveSec=%dh\n"
        "\n"
        "[Install]\n"
        "WantedBy=timers.target\n",
        hours, hours == 1 ? "hour" : "hours", kManagerKey, EncodeValue(manager).c_str(), kHoursKey,
        hours, hours, hours);
}

Scheduler::Scheduler(std::string unitFolder, CommandRunner runner)
    : folder_(std::move(unitFolder)), runner_(std::move(runner)) {}

std::string Scheduler::UnitPath(const std::string& fileName) const {
    return (fs::path(folder_) / fileName).string();
}

ProcessResult Scheduler::Systemctl(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {"systemctl", "--user"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runner_(argv);
}

ScheduleOutcome Scheduler::Schedule(const std::string& cliPath, const std::string& manager,
                                    int hours) {
    if (const std::optional<std::string> problem = ManagerProblem(manager)) {
        return {ScheduleStatus::BadManager, *problem};
    }
    const std::string name = ScheduleUnitName(manager);
    const std::string service = UnitPath(name + ".service");
    const std::string timer = UnitPath(name + ".timer");
    std::error_code error;
    fs::create_directories(folder_, error);
    const bool replacing = fs::exists(timer);
    if (!error) {
        error = WriteAtomically(service, ServiceUnitText(cliPath, manager));
    }
    if (!error) {
        error = WriteAtomically(timer, TimerUnitText(manager, hours));
        if (error && !replacing) {
            std::error_code ignored;
            fs::remove(service, ignored);
        }
    }
    if (error) {
        return {ScheduleStatus::WriteFailed, folder_ + ": " + error.message()};
    }
    ProcessResult result = Systemctl({"daemon-reload"});
    if (result.Succeeded()) {
        result = Systemctl({"enable", "--now", name + ".timer"});
    }
    if (!result.Succeeded()) {
        return {ScheduleStatus::SystemctlFailed,
                manager + ": " + timer + " is written but not enabled (systemctl --user: " +
                    ReasonOf(result) + "); enable it with 'systemctl --user daemon-reload && " +
                    "systemctl --user enable --now " + name + ".timer'"};
    }
    return {};
}

ScheduleOutcome Scheduler::Unschedule(const std::string& manager) {
    const std::string name = ScheduleUnitName(manager);
    const std::string service = UnitPath(name + ".service");
    const std::string timer = UnitPath(name + ".timer");
    if (!fs::exists(timer) && !fs::exists(service)) {
        return {ScheduleStatus::NotScheduled, manager + ": not scheduled"};
    }
    const ProcessResult disabled = Systemctl({"disable", "--now", name + ".timer"});
    std::error_code error;
    // The link `enable` made; gone already when disable ran.
    fs::remove(UnitPath("timers.target.wants/" + name + ".timer"), error);
    if (!error) {
        fs::remove(timer, error);
    }
    if (!error) {
        fs::remove(service, error);
    }
    if (error) {
        return {ScheduleStatus::WriteFailed, timer + ": " + error.message()};
    }
    const ProcessResult reloaded = disabled.Succeeded() ? Systemctl({"daemon-reload"}) : disabled;
    if (!reloaded.Succeeded()) {
        return {ScheduleStatus::SystemctlFailed,
                manager + ": the units are removed, but systemctl --user failed (" +
                    ReasonOf(reloaded) + "); if the timer still runs, stop it with " +
                    "'systemctl --user stop " + name + ".timer'"};
    }
    return {};
}

std::vector<ScheduleEntry> Scheduler::List() const {
    std::vector<ScheduleEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        const std::string fileName = it->path().filename().string();
        if (fileName.starts_with(kUnitPrefix) && fileName.ends_with(".timer")) {
            if (std::optional<ScheduleEntry> entry = ReadTimer(it->path())) {
                entries.push_back(std::move(*entry));
            }
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const ScheduleEntry& a, const ScheduleEntry& b) { return a.manager < b.manager; });
    return entries;
}

std::string UserUnitFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/systemd/user";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return std::string(home) + "/.config/systemd/user";
    }
    return {};
}

std::string RunningProgramPath() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace bh::cli
