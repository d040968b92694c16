// Key codes as the keyboard delivers them: plain codes, and extended keys as a
// prefix followed by a scan code.
#pragma once

namespace game {

// Written into billi once a handler has acted on a key: the letter n, which
// no test looks for.
inline constexpr int kUsedKey = 110;

namespace key {
inline constexpr int kEnter = 13;
inline constexpr int kEsc = 27;
inline constexpr int kSpace = 32;

// Prefixes of extended keys: 224 for arrows and the editing keys, 0 for F1..F10.
inline constexpr int kExtendedPrefix = 224;
inline constexpr int kFunctionPrefix = 0;

// Scan codes, as they follow a prefix.
inline constexpr int kUp = 72;
inline constexpr int kDown = 80;
inline constexpr int kLeft = 75;
inline constexpr int kRight = 77;
inline constexpr int kF1 = 59;
inline constexpr int kDelete = 83;

inline bool isPrefix(int code) { return code == kExtendedPrefix || code == kFunctionPrefix; }
}  // namespace key

}  // namespace game
