// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CmdUI.h"

#include <functional>
#include <type_traits>
#include <vector>

// An object that handles commands: its command table binds command ids (or a range of ids) to
// a handler and an optional update rule. Adding a command is one Map line, for example
//     Map(ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar);
// The frame's router asks the active view, then the frame, then the application.
class CCmdTarget
{
public:
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(int nID)>;
    using UpdateRule = std::function<void(CCmdUI* pCmdUI)>;

    virtual ~CCmdTarget();

    // Binds an id or a range of ids; a handler may be empty (an update rule alone), the rule
    // may be empty (always enabled). An id that is already bound is refused.
    bool Map(int nID, Handler handler, UpdateRule rule = {});
    bool MapRange(int nFirst, int nLast, RangeHandler handler, UpdateRule rule = {});

    template <class T> bool Map(int nID, void (T::*pfn)(), void (T::*pfnUpdate)(CCmdUI*) = nullptr)
    {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        T* self = static_cast<T*>(this);
        return Map(nID, pfn ? Handler([self, pfn] { (self->*pfn)(); }) : Handler(),
                   Rule(self, pfnUpdate));
    }
    // An update rule alone: another target handles the command.
    bool MapUpdate(int nID, UpdateRule rule) { return Map(nID, Handler(), std::move(rule)); }
    template <class T> bool MapUpdate(int nID, void (T::*pfnUpdate)(CCmdUI*))
    {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        return MapUpdate(nID, Rule(static_cast<T*>(this), pfnUpdate));
    }
    template <class T>
    bool MapRange(int nFirst, int nLast, void (T::*pfn)(int),
                  void (T::*pfnUpdate)(CCmdUI*) = nullptr)
    {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        T* self = static_cast<T*>(this);
        return MapRange(nFirst, nLast,
                        pfn ? RangeHandler([self, pfn](int nID) { (self->*pfn)(nID); })
                            : RangeHandler(),
                        Rule(self, pfnUpdate));
    }

    // Runs the handler of the id; false when this target has none.
    virtual bool OnCmdMsg(int nID);
    // Runs the update rule of the id; false when this target has none.
    virtual bool OnUpdateCmdMsg(CCmdUI* pCmdUI);
    virtual bool HasCommandHandler(int nID) const;

private:
    struct Entry
    {
        int nFirst;
        int nLast;
        RangeHandler handler;
        UpdateRule rule;
    };

    template <class T> static UpdateRule Rule(T* self, void (T::*pfnUpdate)(CCmdUI*))
    {
        if (!pfnUpdate)
            return {};
        return [self, pfnUpdate](CCmdUI* pCmdUI) { (self->*pfnUpdate)(pCmdUI); };
    }
    const Entry* Find(int nID) const;

    std::vector<Entry> m_entries;
};
