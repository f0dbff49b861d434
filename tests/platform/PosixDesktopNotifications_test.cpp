#include "platform/posix/FreedesktopNotifier.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/operations/AutoBackup.h"
#include "core/ports/Services.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemErrors.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

// A session bus of the test's own: dbus-daemon started with --print-address, ended with the
// object.
class PrivateBus {
  public:
    PrivateBus() {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            // Its complaints about limits a container does not grant are not the test's.
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--print-address", "--nofork",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n') {
            address_ += c;
        }
        close(out[0]);
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Address() const { return address_; }

  private:
    pid_t pid_ = -1;
    std::string address_;
};

struct NotifyCall {
    std::string appName;
    std::string icon;
    std::string summary;
    std::string body;
};

// org.freedesktop.Notifications on the bus, served from a thread: records every Notify and
// says it reads markup in the body.
class FakeNotificationService {
  public:
    explicit FakeNotificationService(const std::string& address) {
        DBusError error;
        dbus_error_init(&error);
        connection_ = dbus_connection_open_private(address.c_str(), &error);
        if (connection_ != nullptr && dbus_bus_register(connection_, &error)) {
            owned_ = dbus_bus_request_name(connection_, "org.freedesktop.Notifications",
                                           DBUS_NAME_FLAG_DO_NOT_QUEUE,
                                           &error) == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER;
        }
        dbus_error_free(&error);
        if (owned_) {
            thread_ = std::thread([this] { Serve(); });
        }
    }
    ~FakeNotificationService() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (connection_ != nullptr) {
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
        }
    }
    bool Owned() const { return owned_; }
    std::vector<NotifyCall> Calls() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

  private:
    void Serve() {
        while (!stop_ && dbus_connection_read_write(connection_, 50)) {
            while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
                Answer(message);
                dbus_message_unref(message);
            }
        }
    }
    void Answer(DBusMessage* message) {
        const char* kInterface = "org.freedesktop.Notifications";
        DBusMessage* reply = nullptr;
        if (dbus_message_is_method_call(message, kInterface, "Notify")) {
            Record(message);
            reply = dbus_message_new_method_return(message);
            const dbus_uint32_t id = 7;
            dbus_message_append_args(reply, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID);
        } else if (dbus_message_is_method_call(message, kInterface, "GetCapabilities")) {
            reply = dbus_message_new_method_return(message);
            const char* capabilities[] = {"body", "body-markup"};
            const char** list = capabilities;
            dbus_message_append_args(reply, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING, &list, 2,
                                     DBUS_TYPE_INVALID);
        }
        if (reply != nullptr) {
            dbus_connection_send(connection_, reply, nullptr);
            dbus_connection_flush(connection_);
            dbus_message_unref(reply);
        }
    }
    void Record(DBusMessage* message) {
        const char* appName = "";
        dbus_uint32_t replacesId = 0;
        const char* icon = "";
        const char* summary = "";
        const char* body = "";
        DBusError error;
        dbus_error_init(&error);
        dbus_message_get_args(message, &error, DBUS_TYPE_STRING, &appName, DBUS_TYPE_UINT32,
                              &replacesId, DBUS_TYPE_STRING, &icon, DBUS_TYPE_STRING, &summary,
                              DBUS_TYPE_STRING, &body, DBUS_TYPE_INVALID);
        dbus_error_free(&error);
        const std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back({appName, icon, summary, body});
    }

    DBusConnection* connection_ = nullptr;
    bool owned_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<NotifyCall> calls_;
};

// A manager on the real file system with a timer's unattended run.
struct RealManager {
    explicit RealManager(DesktopNotifier* notifier) { services.notifier = notifier; }

    // Source NAME written now, archive NAME.arc older: the run copies it.
    void AddOutOfDate(const test::TempDir& dir, const std::string& name) {
        const std::string archive = dir.Write(name + ".arc", "old");
        EXPECT_TRUE(test::TempDir::SetTimes(archive, 1'000'000'000));
        Add(dir.Write(name, "new " + name), archive);
    }
    void Add(const std::string& source, const std::string& archive) {
        doc.rows().Append(std::make_unique<CFileEntry>(source, archive, "", shell, fs));
    }
    void TimerRun() {
        FakeAutoBackupTimer timer;
        AutoBackup(ui, timer).OnTimer(doc);
    }

    PosixFileSystem fs;
    RecordingShell shell;
    ScriptedUserInterface ui;
    MemorySettingsStore settings;
    PosixClock clock;
    PosixSystemErrors errors;
    Services services{fs, shell, ui, settings, clock, errors};
    CBrackenholdDoc doc{services, nullptr, "./"};
};

class ScopedBusAddress {
  public:
    explicit ScopedBusAddress(const char* address) {
        if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
            old_ = old;
            had_ = true;
        }
        if (address != nullptr) {
            setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
        } else {
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
    }
    ~ScopedBusAddress() {
        if (had_) {
            setenv("DBUS_SESSION_BUS_ADDRESS", old_.c_str(), 1);
        } else {
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
    }

  private:
    std::string old_;
    bool had_ = false;
};

TEST(FreedesktopNotifierText, MadeValidForTheBus) {
    EXPECT_EQ(ValidUtf8("plain /a b"), "plain /a b");
    EXPECT_EQ(ValidUtf8("M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80");
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(ValidUtf8("a\xFF"
                        "b"),
              "a" + fffd + "b");
    EXPECT_EQ(ValidUtf8("\xC0\xAF"), fffd + fffd) << "overlong";
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), fffd + fffd + fffd) << "surrogate";
    EXPECT_EQ(ValidUtf8("x\xE2\x82"), "x" + fffd + fffd) << "cut short";
    EXPECT_EQ(ValidUtf8(std::string("a\0b", 3)), "a" + fffd + "b");
    EXPECT_EQ(EscapeMarkup("R&D <old> >"), "R&amp;D &lt;old&gt; &gt;");
}

TEST(FreedesktopNotifier, FailedTimerRunNotifiesOnceCleanRunNever) {
    if (system("command -v dbus-daemon >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "dbus-daemon is not installed (Debian package dbus-daemon)";
    }
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon printed no address";
    const ScopedBusAddress scoped(bus.Address().c_str());
    FakeNotificationService service(bus.Address());
    ASSERT_TRUE(service.Owned());
    FreedesktopNotifier notifier;

    test::TempDir dir;
    const std::string manager = dir.File("R&D \xFF.bak");
    RealManager failing(&notifier);
    failing.doc.SetPathName(manager);
    failing.Add(dir.Write("a.txt", "a"), dir.File("archive/a.txt"));
    failing.AddOutOfDate(dir, "b.txt");
    failing.TimerRun();

    EXPECT_EQ(test::TempDir::Read(dir.File("b.txt.arc")), "new b.txt") << "the run still copies";
    const std::vector<NotifyCall> calls = service.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].appName, "Brackenhold");
    EXPECT_EQ(calls[0].icon, "brackenhold");
    EXPECT_EQ(calls[0].summary, "Brackenhold: backup failed");
    EXPECT_EQ(calls[0].body, dir.File("R&amp;D \xEF\xBF\xBD.bak") +
                                 "\n1 file could not be backed up; 1 backed up, 0 up to date.");

    RealManager clean(&notifier);
    clean.doc.SetPathName(dir.File("clean.bak"));
    clean.AddOutOfDate(dir, "c.txt");
    clean.TimerRun();
    EXPECT_EQ(test::TempDir::Read(dir.File("c.txt.arc")), "new c.txt");
    EXPECT_EQ(service.Calls().size(), 1u) << "a clean run notifies nothing";
}

TEST(FreedesktopNotifier, WithoutABusTheRunIsUnchanged) {
    test::TempDir dir;
    const std::string socket = dir.File("no-bus");
    FreedesktopNotifier notifier;
    {
        const ScopedBusAddress scoped(("unix:path=" + socket).c_str());
        EXPECT_TRUE(notifier.Notify("s", "b").Failed()) << "a bus that is not there";
    }
    {
        const ScopedBusAddress scoped("autolaunch:");
        EXPECT_TRUE(notifier.Notify("s", "b").Failed()) << "no bus is launched for it";
    }
    const ScopedBusAddress scoped(nullptr);
    EXPECT_TRUE(notifier.Notify("s", "b").Failed()) << "no address: no bus is started";

    RealManager withNotifier(&notifier);
    withNotifier.doc.SetPathName(dir.File("m.bak"));
    withNotifier.Add(dir.Write("a.txt", "a"), dir.File("gone/a.txt"));
    withNotifier.AddOutOfDate(dir, "b.txt");
    withNotifier.TimerRun();

    EXPECT_EQ(test::TempDir::Read(dir.File("b.txt.arc")), "new b.txt");
    EXPECT_EQ(withNotifier.doc.rows().Entry(0).state, EntryState::Problem);
    EXPECT_EQ(withNotifier.doc.rows().Entry(1).state, EntryState::UpToDate);
    EXPECT_TRUE(test::TempDir::Exists(dir.File("m.bak"))) << "the manager is saved as ever";
    EXPECT_EQ(withNotifier.ui.Count(UiCallKind::MessageBox), 0);
}

// The command line's `backup --notify`, as the schedule's unit runs it: a failed run and a
// manager that cannot be opened notify once each, a clean run and a plain backup never.
TEST(FreedesktopNotifier, CommandLineBackupNotifiesOnlyWhenAskedAndOnlyOfFailures) {
    if (system("command -v dbus-daemon >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "dbus-daemon is not installed (Debian package dbus-daemon)";
    }
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon printed no address";
    const ScopedBusAddress scoped(bus.Address().c_str());
    FakeNotificationService service(bus.Address());
    ASSERT_TRUE(service.Owned());

    test::TempDir dir;
    const auto cli = [&dir](const std::vector<std::string>& args) {
        return test::RunProgram(BH_CLI_PATH, args, dir.Path());
    };
    dir.Write("kept.txt", "kept");
    dir.Write("gone.txt", "gone");
    ASSERT_EQ(cli({"new", "m.bak"}).exitCode, 0);
    ASSERT_EQ(cli({"add", "m.bak", "kept.txt", "gone.txt"}).exitCode, 0);
    ASSERT_EQ(cli({"backup", "--notify", "m.bak"}).exitCode, 0);
    EXPECT_EQ(service.Calls().size(), 0u) << "a clean run notifies nothing";

    ASSERT_EQ(std::remove(dir.File("gone.txt").c_str()), 0);
    EXPECT_EQ(cli({"backup", "m.bak"}).exitCode, 1);
    EXPECT_EQ(service.Calls().size(), 0u) << "without --notify nothing is sent";
    EXPECT_EQ(cli({"backup", "--quiet", "--notify", "--", "m.bak"}).exitCode, 1);
    std::vector<NotifyCall> calls = service.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].summary, "Brackenhold: backup failed");
    EXPECT_TRUE(calls[0].body.starts_with(dir.File("m.bak") + "\n1 file could not be backed up"))
        << calls[0].body;

    EXPECT_EQ(cli({"backup", "--notify", "missing.bak"}).exitCode, 2);
    calls = service.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(
        calls[1].body.starts_with(dir.File("missing.bak") + "\nThe manager could not be opened"))
        << calls[1].body;
}

}  // namespace
}  // namespace bh
