// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class IBrowserControl;
class QWidget;

// Makes the browser control of each new HTML pane: the Qt WebEngine adapter in the program;
// a test installs its own maker for as long as a CBrowserControlFactory::CScopedMaker lives.
class CBrowserControlFactory
{
public:
    using Maker = std::function<IBrowserControl*(QWidget* pParent)>;

    // A new control whose window is a child of pParent; null when it cannot be made.
    static IBrowserControl* Create(QWidget* pParent);

    class CScopedMaker
    {
    public:
        explicit CScopedMaker(Maker maker);
        ~CScopedMaker();
        CScopedMaker(const CScopedMaker&) = delete;
        CScopedMaker& operator=(const CScopedMaker&) = delete;

    private:
        Maker m_previous;
    };
};
