#include "panes/NavigationPolicy.h"

#include "panes/BrowserControl.h"

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
