// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <type_traits>

// Wraps a continuation handed to the engine so that it runs exactly once: with the engine's
// answer, or with the failure value (every argument default-constructed) when no answer came
// within nTimeoutMs (a negative limit: no limit). It never runs once pContext is destroyed;
// later answers are dropped.
template <class... Args>
std::function<void(Args...)>
GuardContinuation(QObject* pContext, int nTimeoutMs,
                  std::type_identity_t<std::function<void(Args...)>> done)
{
    struct State
    {
        bool bDone = false;
        QPointer<QObject> pContext;
        QPointer<QTimer> pTimer;
        std::function<void(Args...)> done;
    };
    auto state = std::make_shared<State>();
    state->pContext = pContext;
    state->done = std::move(done);

    auto finish = [state](Args... args) {
        if (state->bDone || !state->pContext)
            return;
        state->bDone = true;
        if (state->pTimer) {
            state->pTimer->stop();
            state->pTimer->deleteLater();
        }
        const auto done = std::move(state->done);
        if (done)
            done(std::forward<Args>(args)...);
    };

    if (nTimeoutMs >= 0) {
        auto* pTimer = new QTimer(pContext);
        pTimer->setSingleShot(true);
        state->pTimer = pTimer;
        QObject::connect(pTimer, &QTimer::timeout, pContext,
                         [finish] { finish(std::decay_t<Args>{}...); });
        pTimer->start(nTimeoutMs);
    }
    return finish;
}
