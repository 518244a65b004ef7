// The guard around the handlers of window events (unit Guard).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// No exception may leave a handler that Qt calls (a menu command, a button, a paint or mouse
// event): it would pass through Qt's event loop. Every such handler runs its action through
// Guard::Run, which shows what went wrong instead, with one reading of the exception's text
// (Exception::WhatText: the message of an `Exception`, else what() as UTF-8):
//
//     connect(button, &QPushButton::clicked, this, [this] {
//         Guard::Run(this, [this] { Calculate(); });               // error box over this window
//     });
//     Guard::Run([this] { Refresh(); }, [this](const QString& text) { ShowMessage(text, true); });
#pragma once

#include "util/exceptions.h"
#include "util/messages.h"

#include <QString>

#include <exception>
#include <type_traits>
#include <utility>

class QWidget;

namespace Guard {

// Runs `action`; the text of an exception it raises goes to `show`. true when no exception came.
template <class F, class S>
    requires std::is_invocable_v<S, const QString&>
bool Run(F&& action, S&& show)
{
    try {
        std::forward<F>(action)();
        return true;
    } catch (const std::exception& e) {
        std::forward<S>(show)(Exception::WhatText(e));
        return false;
    }
}

// The same, the text shown as an error through the message interface over `parent`.
template <class F> bool Run(QWidget* parent, F&& action)
{
    return Run(std::forward<F>(action), [parent](const QString& text) { Messages::Error(parent, text); });
}

}  // namespace Guard
