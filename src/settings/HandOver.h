// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work done on one thread and handed to an object on another through Qt's event queue.
//
// Qt locks its queue in code built without ThreadSanitizer, so a race check cannot see that a
// queued call happens after the code that posted it, and reports every value the call reads.
// In such a build each hand-over marks that order itself, and the call object that Qt's
// template builds from the function is left out of the check (it is written before the post
// and read only by the call). Other builds compile to the plain Qt calls.
#include <QMetaObject>
#include <QObject>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TOLVO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOLVO_THREAD_SANITIZER 1
#endif
#endif

#ifdef TOLVO_THREAD_SANITIZER
extern "C" {
void __tsan_acquire(void* address);
void __tsan_release(void* address);
void AnnotateIgnoreWritesBegin(const char* file, int line);
void AnnotateIgnoreWritesEnd(const char* file, int line);
}
#endif

namespace tolvo {

/// Marks that what this thread wrote so far is handed over under `token` (a signal about to be
/// emitted to another thread, for instance). Nothing outside race-checking builds.
inline void handingOver([[maybe_unused]] const void* token)
{
#ifdef TOLVO_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(token));
#endif
}

/// Marks that this thread now reads what was handed over under `token`.
inline void takingOver([[maybe_unused]] const void* token)
{
#ifdef TOLVO_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(token));
#endif
}

namespace detail {

/// Runs `*call` on the thread of `context`, queued or blocking.
template <typename Call> void post(QObject* context, const std::shared_ptr<Call>& call, Qt::ConnectionType type)
{
#ifdef TOLVO_THREAD_SANITIZER
    // The call is marked by its own address, which makes the compiler finish writing it, and all
    // it points to, before the mark. The copy of the pointer that Qt keeps is left out.
    handingOver(call.get());
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
    QMetaObject::invokeMethod(
        context,
        [call] {
            takingOver(call.get());
            (*call)();
            handingOver(call.get());
        },
        type);
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
    if (type == Qt::BlockingQueuedConnection)
        takingOver(call.get()); // what the call did
#else
    QMetaObject::invokeMethod(
        context, [call] { (*call)(); }, type);
#endif
}

} // namespace detail

/// Runs `f` later on the thread of `context`, unless `context` is gone by then.
template <typename F> void handOver(QObject* context, F&& f)
{
#ifdef TOLVO_THREAD_SANITIZER
    detail::post(context, std::make_shared<std::decay_t<F>>(std::forward<F>(f)), Qt::QueuedConnection);
#else
    // Nothing to mark: the function goes to Qt as it is, with no holder of its own.
    QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::QueuedConnection);
#endif
}

/// What handOverAndWait() gives back: whether `f` ran, or what it returned.
template <typename F>
using HandOverResult = std::conditional_t<std::is_void_v<std::invoke_result_t<std::decay_t<F>&>>, bool,
    std::optional<std::invoke_result_t<std::decay_t<F>&>>>;

/// Runs `f` on the thread of `context` (another thread) and returns once it has run, with what
/// it returned (or true for a function without a result). Nothing (or false) when Qt dropped
/// the call unrun, as when the receiving thread's loop is over. The result comes back by value:
/// the other thread writes nothing of the caller's own.
template <typename F> HandOverResult<F> handOverAndWait(QObject* context, F&& f)
{
    using Function = std::decay_t<F>;
    struct Call {
        Function f;
        HandOverResult<F> result {};
        void operator()()
        {
            if constexpr (std::is_void_v<std::invoke_result_t<Function&>>) {
                f();
                result = true;
            } else {
                result = f();
            }
        }
    };
    const auto call = std::make_shared<Call>(Call { std::forward<F>(f) });
    detail::post(context, call, Qt::BlockingQueuedConnection);
    return std::move(call->result);
}

} // namespace tolvo
