#pragma once

// Awaits a task and keeps what it threw instead of throwing it, so an operation can
// await the engine once, check that its result still applies, and only then look at
// the outcome:
//
//     auto [found, error] = co_await attempt(engine->scanDevices());
//     if (!self || !isCurrent(...)) co_return;

#include "TarvelCore/Models.h"

#include <QCoro/QCoroTask>

#include <exception>
#include <type_traits>

namespace tarvel {

template <typename T>
struct Attempt {
    T value = {};
    std::exception_ptr error;
};

template <>
struct Attempt<void> {
    std::exception_ptr error;
};

template <typename T>
    requires(!std::is_void_v<T>)
QCoro::Task<Attempt<T>> attempt(QCoro::Task<T> task)
{
    Attempt<T> outcome;
    try {
        outcome.value = co_await std::move(task);
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

// A task without a value: only what it threw, or null.
inline QCoro::Task<Attempt<void>> attempt(QCoro::Task<> task)
{
    Attempt<void> outcome;
    try {
        co_await std::move(task);
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

// What a run of requests that answered none of them is taken as: the caller asked for at
// least the first.
inline std::exception_ptr noResult()
{
    return std::make_exception_ptr(TransferError::nativeError(QStringLiteral("The operation ended without a result")));
}

} // namespace tarvel
