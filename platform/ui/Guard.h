#pragma once
// No exception may reach the Qt event loop: every handler the loop calls runs through Guarded,
// which shows an escaping exception with the application's standard exception display and lets the
// loop go on. EAbort unwinds silently.
#include <QObject>
#include <functional>
#include <type_traits>
#include <utility>

// Call from inside a catch block: shows the exception in flight (nothing for EAbort). Never throws.
void HandleCurrentException() noexcept;

template <class Function> void Guarded(Function&& function) noexcept
{
    try {
        std::forward<Function>(function)();
    } catch (...) {
        HandleCurrentException();
    }
}

// Connects signal of sender to handler through the guard. handler is a member function of
// receiver (which also decides the connection's lifetime and thread) or any callable; it takes
// either the signal's arguments or none:
//   ConnectGuarded(button, &QPushButton::clicked, this, &TForm1::Button1Click);
template <class Sender, class SignalOwner, class... SignalArgs, class Receiver, class Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, void (SignalOwner::*signal)(SignalArgs...),
                                       Receiver* receiver, Handler handler)
{
    constexpr bool member = std::is_member_function_pointer_v<Handler>;
    if constexpr (member) {
        static_assert(std::is_invocable_v<Handler, Receiver*, SignalArgs...> ||
                          std::is_invocable_v<Handler, Receiver*>,
                      "the handler takes neither the signal's arguments nor none");
    } else {
        static_assert(std::is_invocable_v<Handler, SignalArgs...> || std::is_invocable_v<Handler>,
                      "the handler takes neither the signal's arguments nor none");
    }
    return QObject::connect(sender, signal, receiver, [receiver, handler](SignalArgs... args) {
        Guarded([&] {
            if constexpr (member) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, SignalArgs...>)
                    std::invoke(handler, receiver, args...);
                else
                    std::invoke(handler, receiver);
            } else {
                (void)receiver;
                if constexpr (std::is_invocable_v<Handler, SignalArgs...>)
                    std::invoke(handler, args...);
                else
                    std::invoke(handler);
            }
        });
    });
}
