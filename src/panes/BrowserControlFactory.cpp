// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/BrowserControlFactory.h"

#include "panes/webengine/WebEngineFactory.h"

#include <utility>

namespace {
CBrowserControlFactory::Maker& CurrentMaker()
{
    static CBrowserControlFactory::Maker maker;
    return maker;
}
} // namespace

IBrowserControl* CBrowserControlFactory::Create(QWidget* pParent)
{
    const Maker& maker = CurrentMaker();
    return maker ? maker(pParent) : CreateWebEngineControl(pParent);
}

CBrowserControlFactory::CScopedMaker::CScopedMaker(Maker maker)
    : m_previous(std::exchange(CurrentMaker(), std::move(maker)))
{
}

CBrowserControlFactory::CScopedMaker::~CScopedMaker()
{
    CurrentMaker() = std::move(m_previous);
}
