#pragma once

#include <string>

#include "core/ports/DesktopNotifier.h"

namespace bh {

// Notifications through the freedesktop notification service (org.freedesktop.Notifications)
// on the user's session bus. Reaches only a bus named by DBUS_SESSION_BUS_ADDRESS (never
// starts one), on a private connection that is closed after each notification, and waits
// at most the reply timeout for each call, so that a stuck service cannot hold up a backup.
class FreedesktopNotifier : public DesktopNotifier {
  public:
    explicit FreedesktopNotifier(int replyTimeoutMs = 2000);
    ErrorCode Notify(const std::string& summary, const std::string& body) override;

  private:
    int replyTimeoutMs_;
};

// The bytes with every invalid UTF-8 sequence (and NUL) replaced by U+FFFD: D-Bus strings
// must be valid UTF-8, and paths need not be.
std::string ValidUtf8(const std::string& bytes);

// The text with &, < and > written as entities, for a service that reads its body as markup.
std::string EscapeMarkup(const std::string& text);

}  // namespace bh
