// The message loop of the thread that plays Excel's main thread, run while a test waits: posted
// commands, host calls from the add-in's UI thread and the add-in's own windows on this thread
// are handled only while it runs.
#pragma once

#include <chrono>
#include <functional>

// Handles the calling thread's messages until `done` answers true (checked after each batch) or
// `timeout` passes. True when `done` answered true.
bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Handles messages until none has arrived for `quiet`, or `timeout` passes; true when the thread
// went quiet. What the add-in posted before the call has run by then.
bool PumpMessagesUntilIdle(std::chrono::milliseconds quiet = std::chrono::milliseconds(150),
                           std::chrono::milliseconds timeout = std::chrono::seconds(10));
