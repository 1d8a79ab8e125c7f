// TRELVANE_ASSERT: the first of the three tiers of failure, for an invariant the code itself
// keeps. Bad input never reaches one: a hostile file or formula is data, refused or tolerated
// where it is read, so an assertion that fires always means a fault in the code.
#pragma once

#include <cstdio>
#include <cstdlib>

// On in Debug builds and wherever TRELVANE_ASSERTIONS=1 is defined (the sanitizer build, or a
// release build configured to check); off in other release builds. TRELVANE_ASSERTIONS=0 turns
// them off in a Debug build too.
#ifndef TRELVANE_ASSERTIONS
#ifdef NDEBUG
#define TRELVANE_ASSERTIONS 0
#else
#define TRELVANE_ASSERTIONS 1
#endif
#endif

// Says where and what broke on stderr and aborts, so that a sanitizer run, a death test or a
// debugger stops on the spot rather than after the damage has spread.
[[noreturn]] inline void ReportBrokenInvariant(const char* file, int line, const char* condition,
                                               const char* message) noexcept {
  std::fprintf(stderr, "%s:%d: invariant broken: %s [%s]\n", file, line, message, condition);
  std::fflush(stderr);
  std::abort();
}

// Checks in every build type; for the tests of the facility itself.
#define TRELVANE_CHECK_INVARIANT(condition, message)                   \
  ((condition) ? static_cast<void>(0)                                  \
               : ReportBrokenInvariant(__FILE__, __LINE__, #condition, message))

// Switched off, the condition still compiles (and keeps its variables used) but is not
// evaluated: it stands in an unevaluated sizeof, so it may cost what it likes.
#if TRELVANE_ASSERTIONS
#define TRELVANE_ASSERT(condition, message) TRELVANE_CHECK_INVARIANT(condition, message)
#else
#define TRELVANE_ASSERT(condition, message) static_cast<void>(sizeof(!(condition)))
#endif
