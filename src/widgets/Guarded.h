#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "widgets/ErrorReport.h"

namespace korvex {

// Runs a handler that Qt called and sends any error it throws to the error report right here, so no
// exception unwinds through Qt's own frames (built without exception support). True when it returned.
template <typename Handler, typename... Args>
bool RunGuarded(Handler&& handler, Args&&... args)
{
    try {
        std::invoke(std::forward<Handler>(handler), std::forward<Args>(args)...);
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

// A handler wrapped for connecting to a signal, a timer or a link event. Its call operator takes only the
// arguments the handler takes, so Qt drops surplus signal arguments as it does for the bare handler.
template <typename Handler>
class TGuardedHandler {
public:
    explicit TGuardedHandler(Handler handler) : handler_(std::move(handler)) {}

    template <typename... Args>
        requires std::invocable<Handler&, Args...>
    void operator()(Args&&... args)
    {
        RunGuarded(handler_, std::forward<Args>(args)...);
    }

private:
    Handler handler_;
};

// Guarded(callable) or Guarded(object, &Class::handler), used where the handler is connected:
//   connect(button, &QAbstractButton::clicked, this, Guarded(this, &TfrmMain::btnConnectClick));
template <typename Handler>
auto Guarded(Handler handler)
{
    return TGuardedHandler<Handler>(std::move(handler));
}

template <typename Object, typename Method>
    requires std::is_member_function_pointer_v<Method>
auto Guarded(Object* object, Method method)
{
    return Guarded(std::bind_front(method, object));
}

}  // namespace korvex
