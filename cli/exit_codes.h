// The trelvane command's exit codes beyond 0.
#pragma once

inline constexpr int kExitMessage = 1;  // a message of the system shown to the user
inline constexpr int kExitUsage = 2;    // the command line cannot be run as written
inline constexpr int kExitUnreadable = 3;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it
