#pragma once
// Reading a Stream to its end in a test without hanging the test when it never ends.

#include "platform/Stream.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <vector>

namespace qlan::test {

// Every event until the stream ends; fails the test (and cancels the stream) after `timeout`.
template <typename T>
std::vector<T> drain(Stream<T>& stream,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(patienceMs)) {
    auto reading = std::async(std::launch::async, [&] {
        std::vector<T> events;
        while (auto event = stream.next())
            events.push_back(std::move(*event));
        return events;
    });
    if (reading.wait_for(timeout) == std::future_status::timeout) {
        ADD_FAILURE() << "the stream did not end in time";
        stream.cancel();
    }
    return reading.get();
}

// The next event; fails the test (and cancels the stream) when none comes within `timeout`.
template <typename T>
std::optional<T> nextWithin(Stream<T>& stream,
                            std::chrono::milliseconds timeout = std::chrono::milliseconds(patienceMs)) {
    auto reading = std::async(std::launch::async, [&] { return stream.next(); });
    if (reading.wait_for(timeout) == std::future_status::timeout) {
        ADD_FAILURE() << "no event in time";
        stream.cancel();
    }
    return reading.get();
}

} // namespace qlan::test
