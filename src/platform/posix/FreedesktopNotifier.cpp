#include "platform/posix/FreedesktopNotifier.h"

#include <dbus/dbus.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace bh {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";
constexpr const char* kAppName = "Brackenhold";
constexpr const char* kAppIcon = "brackenhold";
constexpr const char* kReplacement = "\xEF\xBF\xBD";

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// The length of the valid UTF-8 sequence at `at`, 0 when there is none.
std::size_t SequenceLength(const std::string& bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead >= 0x01 && lead <= 0x7F) {
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t point = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u) {
            return 0;
        }
        point = (point << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return overlong || surrogate || point > 0x10FFFF ? 0 : length;
}

Message MethodCall(const char* method) {
    return Message(dbus_message_new_method_call(kService, kObject, kService, method));
}

// Sends a call and waits for its reply, at most `timeoutMs`; null on any failure.
Message Call(DBusConnection* connection, DBusMessage* call, int timeoutMs) {
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(connection, call, timeoutMs, &error);
    dbus_error_free(&error);
    return Message(reply);
}

// A private connection to the session bus, registered with it; null when there is no bus.
Connection OpenSessionBus(int timeoutMs) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    // An autolaunch address would start a bus of its own: only a running one is used.
    if (address == nullptr || *address == '\0' ||
        std::string(address).find("autolaunch:") != std::string::npos) {
        return nullptr;
    }
    DBusError error;
    dbus_error_init(&error);
    Connection connection(dbus_connection_open_private(address, &error));
    dbus_error_free(&error);
    if (!connection) {
        return nullptr;
    }
    // A bus that goes away must end the notification, never the program.
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    // The bus's greeting by hand: dbus_bus_register would wait for it without a limit.
    Message hello(dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "Hello"));
    if (!hello || !Call(connection.get(), hello.get(), timeoutMs)) {
        return nullptr;
    }
    return connection;
}

// Whether the service reads the body as markup (then &, < and > must be escaped).
bool ReadsMarkup(DBusConnection* connection, int timeoutMs) {
    Message call = MethodCall("GetCapabilities");
    Message reply = call ? Call(connection, call.get(), timeoutMs) : nullptr;
    DBusMessageIter args;
    if (!reply || !dbus_message_iter_init(reply.get(), &args) ||
        dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_ARRAY) {
        return false;
    }
    DBusMessageIter items;
    dbus_message_iter_recurse(&args, &items);
    for (; dbus_message_iter_get_arg_type(&items) == DBUS_TYPE_STRING;
         dbus_message_iter_next(&items)) {
        const char* capability = nullptr;
        dbus_message_iter_get_basic(&items, &capability);
        if (std::string(capability) == "body-markup") {
            return true;
        }
    }
    return false;
}

Message NotifyCall(const std::string& summary, const std::string& body) {
    Message call = MethodCall("Notify");
    if (!call) {
        return nullptr;
    }
    const char* appName = kAppName;
    const char* icon = kAppIcon;
    const char* summaryText = summary.c_str();
    const char* bodyText = body.c_str();
    const dbus_uint32_t replacesId = 0;
    const dbus_int32_t expireTimeout = -1;  // the service's default
    DBusMessageIter args;
    DBusMessageIter actions;
    DBusMessageIter hints;
    dbus_message_iter_init_append(call.get(), &args);
    const bool built = dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &appName) &&
                       dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &replacesId) &&
                       dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &icon) &&
                       dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &summaryText) &&
                       dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &bodyText) &&
                       dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &actions) &&
                       dbus_message_iter_close_container(&args, &actions) &&
                       dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &hints) &&
                       dbus_message_iter_close_container(&args, &hints) &&
                       dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &expireTimeout);
    return built ? std::move(call) : nullptr;
}

}  // namespace

std::string ValidUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = SequenceLength(bytes, at);
        if (length == 0) {
            text += kReplacement;
            ++at;
        } else {
            text.append(bytes, at, length);
            at += length;
        }
    }
    return text;
}

std::string EscapeMarkup(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

FreedesktopNotifier::FreedesktopNotifier(int replyTimeoutMs) : replyTimeoutMs_(replyTimeoutMs) {}

ErrorCode FreedesktopNotifier::Notify(const std::string& summary, const std::string& body) {
    Connection connection = OpenSessionBus(replyTimeoutMs_);
    if (!connection) {
        return ErrorCode(ENOTCONN);
    }
    std::string text = ValidUtf8(body);
    if (ReadsMarkup(connection.get(), replyTimeoutMs_)) {
        text = EscapeMarkup(text);
    }
    Message call = NotifyCall(ValidUtf8(summary), text);
    if (!call) {
        return ErrorCode(ENOMEM);
    }
    return Call(connection.get(), call.get(), replyTimeoutMs_) ? kNoError : ErrorCode(ECOMM);
}

}  // namespace bh
