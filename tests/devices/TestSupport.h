#pragma once
// Helpers shared by the device tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

// Waits until pred holds or limitMs passes; returns pred's last value.
inline bool WaitUntil(const std::function<bool()>& pred, int limitMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs body on its own thread; a body that does not finish within limitMs
// is a hang: the test process stops with a message instead of blocking the run.
inline void RunWithWatchdog(const std::function<void()>& body, int limitMs, const char* what) {
    std::packaged_task<void()> task(body);
    auto done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::milliseconds(limitMs)) != std::future_status::ready) {
        std::fprintf(stderr, "watchdog: %s did not finish within %d ms (hang)\n", what, limitMs);
        std::fflush(stderr);
        std::_Exit(3);
    }
    runner.join();
    done.get();
}
