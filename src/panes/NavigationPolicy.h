// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct BrowserNavigation;

// What an HTML pane does with a navigation its page is about to make.
enum class NavigateAction
{
    Allow,     // load it in the pane
    StartMail, // refuse it and hand the address to the mail program
    NewPane,   // refuse it and show `address` in a new pane
};

struct NavigateDecision
{
    NavigateAction action = NavigateAction::Allow;
    QString address;
};

// The address prefix of the web image search, whose results open in a new pane.
inline constexpr char kImageSearchPrefix[] = "http://images.google";

// The navigation policy. bNavigating: a navigation the pane started itself has not yet
// completed. The new-pane rules apply only to main-frame navigations that are neither back
// or forward in the history nor redirects.
NavigateDecision DecideNavigation(const BrowserNavigation& nav, const QString& currentAddress,
                                  bool bNavigating, bool bViewNewWindow, bool bCheckGoogle);

// Whether the user may open or save `target`, an address found on the page at `pageAddress`
// (a link, an image or a frame of it), by the rule the engine applies to the page's own
// navigations: a local file only from a local page, and the engine's own views (the source
// view, its internal pages) from no page. The target is read as the address field would read
// it, so a bare path counts as the file it names.
bool MayOpenFromPage(const QString& target, const QString& pageAddress);
