#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <utility>

template <typename Signature> class ContextCallback;

// A callback tied to a context object the way a connection is tied to its receiver: once the
// context is destroyed, calling it does nothing. A null context means no guard: the function runs
// whenever it is called, as with QTimer::singleShot without a context. Calling it runs the
// function at once, on the caller's thread, so it keeps the timing of the code that calls it.
template <typename... Args> class ContextCallback<void(Args...)> {
public:
    ContextCallback() = default;
    ContextCallback(const QObject* context, std::function<void(Args...)> function)
        : m_context(context), m_guarded(context != nullptr), m_function(std::move(function)) {}

    // Runs the function, unless it is empty or its context is gone.
    void operator()(Args... args) const {
        if (m_function && (!m_guarded || m_context))
            m_function(std::forward<Args>(args)...);
    }

private:
    QPointer<const QObject> m_context;
    bool m_guarded = false;
    std::function<void(Args...)> m_function;
};
