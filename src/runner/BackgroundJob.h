#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

// Runs blocking work on a thread of its own and hands the outcome back on the
// thread of a context object. A run may wait minutes for an administrator's
// password, so a small shared pool would hold up discovery or another
// window's run. When the context is destroyed before the work ends, the hand-
// back is dropped; the work itself always runs to its end (and so cleans up).
namespace BackgroundJob {

// Starts work on a thread of its own; handBack runs on context's thread.
void startThread(QObject *context, QThread::Priority priority, std::function<void()> work,
                 std::function<void()> handBack);

// Starts work, and hands its outcome to handBack on context's thread.
template <typename Work, typename HandBack>
void start(QObject *context, QThread::Priority priority, Work work, HandBack handBack)
{
    using Outcome = std::invoke_result_t<Work &>;
    auto outcome = std::make_shared<std::optional<Outcome>>();
    startThread(
        context, priority,
        [work = std::move(work), outcome]() mutable { outcome->emplace(work()); },
        [handBack = std::move(handBack), outcome]() mutable { handBack(std::move(**outcome)); });
}

} // namespace BackgroundJob
