// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/ColorScheme.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>

namespace NuvColorScheme {
namespace {
struct PlatformLook
{
    bool bTaken = false;
    QString style;
    QPalette palette;
    bool bDark = false;
};

PlatformLook& Platform()
{
    static PlatformLook look;
    return look;
}

bool IsDark(const QPalette& pal)
{
    return pal.color(QPalette::Window).lightness() < pal.color(QPalette::WindowText).lightness();
}
} // namespace

ColorScheme Choose(int nViewColorScheme, SchemeHint portal, SchemeHint gtk, SchemeHint qtPalette)
{
    if (nViewColorScheme == ForceLight)
        return ColorScheme::Light;
    if (nViewColorScheme == ForceDark)
        return ColorScheme::Dark;
    for (SchemeHint hint : {portal, gtk, qtPalette})
        if (hint != SchemeHint::Unknown)
            return hint == SchemeHint::Dark ? ColorScheme::Dark : ColorScheme::Light;
    return ColorScheme::Light;
}

QPalette DarkPalette()
{
    const QColor window(0x35, 0x36, 0x3a);
    const QColor base(0x24, 0x25, 0x28);
    const QColor text(0xe8, 0xe8, 0xe8);
    const QColor disabledText(0x80, 0x80, 0x80);
    const QColor highlight(0x3d, 0x6f, 0xb4);
    QPalette pal;
    pal.setColor(QPalette::Window, window);
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Base, base);
    pal.setColor(QPalette::AlternateBase, window);
    pal.setColor(QPalette::ToolTipBase, QColor(0x45, 0x46, 0x4b));
    pal.setColor(QPalette::ToolTipText, text);
    pal.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa0, 0xa0));
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Button, window);
    pal.setColor(QPalette::ButtonText, text);
    pal.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    pal.setColor(QPalette::Light, QColor(0x50, 0x51, 0x56));
    pal.setColor(QPalette::Midlight, QColor(0x42, 0x43, 0x48));
    pal.setColor(QPalette::Mid, QColor(0x5c, 0x5d, 0x62));
    pal.setColor(QPalette::Dark, QColor(0x1c, 0x1d, 0x20));
    pal.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
    pal.setColor(QPalette::Highlight, highlight);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Link, QColor(0x7a, 0xb4, 0xff));
    pal.setColor(QPalette::LinkVisited, QColor(0xc0, 0x9c, 0xff));
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        pal.setColor(QPalette::Disabled, role, disabledText);
    pal.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x51, 0x56));
    return pal;
}

void ApplyToWidgets(ColorScheme scheme)
{
    if (qApp == nullptr)
        return;
    PlatformLook& platform = Platform();
    if (!platform.bTaken) {
        platform.bTaken = true;
        platform.style = QApplication::style()->name();
        platform.palette = QApplication::palette();
        platform.bDark = IsDark(platform.palette);
    }
    const bool bDark = scheme == ColorScheme::Dark;
    if (bDark == platform.bDark) {
        // The platform's own look already is the scheme.
        if (QApplication::style()->name() != platform.style)
            QApplication::setStyle(QStyleFactory::create(platform.style));
        QApplication::setPalette(platform.palette);
        return;
    }
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(bDark ? DarkPalette() : QApplication::style()->standardPalette());
}

QByteArray EngineFlags(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? QByteArrayLiteral("--force-dark-mode") : QByteArray();
}

void ApplyToEngine(ColorScheme scheme)
{
    const QByteArray flags = EngineFlags(scheme);
    if (flags.isEmpty())
        return;
    QByteArray all = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (all.split(' ').contains(flags))
        return;
    if (!all.isEmpty())
        all += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", all + flags);
}

CDesktopScheme* Desktop()
{
    static QPointer<CDesktopScheme> s_pDesktop;
    if (!s_pDesktop && qApp != nullptr)
        s_pDesktop = new CDesktopScheme(qApp);
    return s_pDesktop;
}

ColorScheme Resolve(int nViewColorScheme)
{
    CDesktopScheme* pDesktop = Desktop();
    if (pDesktop == nullptr)
        return Choose(nViewColorScheme, SchemeHint::Unknown, SchemeHint::Unknown,
                      SchemeHint::Unknown);
    return Choose(nViewColorScheme, pDesktop->PortalHint(), pDesktop->GtkHint(),
                  pDesktop->QtPaletteHint());
}
} // namespace NuvColorScheme
