#pragma once

namespace bh {

// Message box style bits and answers with the values of the Win32 MB_ and ID constants,
// so the flags each message is designed with can be written and checked as numbers.
// Named kMb.../kId... so they never collide with the Windows headers' macros.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbButtonMask = 0xF;

constexpr unsigned kMbIconHand = 0x10;  // stop / error icon
constexpr unsigned kMbIconError = kMbIconHand;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbIconMask = 0xF0;

constexpr unsigned kMbDefButton2 = 0x100;
constexpr unsigned kMbDefButton3 = 0x200;
constexpr unsigned kMbDefButtonMask = 0xF00;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Edit style that lets a prompt accept digits only.
constexpr unsigned kEsNumber = 0x2000;

// Common dialog error: the file list did not fit the buffer.
constexpr unsigned kFnerrBufferTooSmall = 0x3003;

}  // namespace bh
