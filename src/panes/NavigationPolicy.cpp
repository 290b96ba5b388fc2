// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/NavigationPolicy.h"

#include "panes/AddressInput.h"
#include "panes/BrowserControl.h"

#include <QUrl>

namespace {
// Schemes of views the engine makes of its own, which it never opens for a page.
bool IsEngineViewScheme(const QString& scheme)
{
    static const char* const kSchemes[] = {"view-source", "chrome", "devtools", "chrome-devtools"};
    for (const char* name : kSchemes)
        if (scheme == QLatin1String(name))
            return true;
    return false;
}
} // namespace

NavigateDecision DecideNavigation(const BrowserNavigation& nav, const QString& currentAddress,
                                  bool bNavigating, bool bViewNewWindow, bool bCheckGoogle)
{
    const QString& address = nav.address;
    if (address.isEmpty())
        return {};
    if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return {NavigateAction::StartMail, address};
    if (address.startsWith(QLatin1String("about:"), Qt::CaseInsensitive))
        return {};
    if (!nav.bMainFrame || nav.bHistory || nav.bRedirect)
        return {};

    if (bCheckGoogle &&
        address.startsWith(QLatin1String(kImageSearchPrefix), Qt::CaseInsensitive)) {
        const qsizetype nPrev = address.indexOf(QLatin1String("&prev=/images"));
        if (nPrev > 0)
            return {NavigateAction::NewPane, address.left(nPrev)};
    }
    if (bNavigating || !bViewNewWindow)
        return {};
    // A jump within the page that is shown stays in the pane.
    const qsizetype nHash = address.indexOf(QLatin1Char('#'));
    if (nHash > 0 && address.left(nHash) == currentAddress)
        return {};
    return {NavigateAction::NewPane, address};
}

bool MayOpenFromPage(const QString& target, const QString& pageAddress)
{
    // QUrl keeps schemes in lower case.
    const QUrl url = UrlFromAddress(target);
    if (IsEngineViewScheme(url.scheme()))
        return false;
    return !url.isLocalFile() || QUrl(pageAddress).isLocalFile();
}
