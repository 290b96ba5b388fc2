// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QVariant>

#include <memory>

class QDBusVariant;

// What one source says about the desktop's appearance.
enum class SchemeHint
{
    Unknown, // no answer, no preference, or an answer we cannot read
    Light,
    Dark,
};

// The desktop's preferred appearance, from three sources in order of trust:
// - the freedesktop appearance portal (org.freedesktop.portal.Settings, namespace
//   "org.freedesktop.appearance", key "color-scheme": 1 dark, 2 light, 0 no preference). It is
//   asked once without waiting when this object is made; its answer, and every later change
//   it announces, is reported by changed();
// - GTK's setting: GTK_THEME ("Adwaita:dark"), else gtk-application-prefer-dark-theme or a
//   theme name ending in "-dark" in $XDG_CONFIG_HOME/gtk-{4.0,3.0}/settings.ini;
// - the lightness of Qt's own palette (the platform theme's) as the program started.
class CDesktopScheme : public QObject
{
    Q_OBJECT
public:
    explicit CDesktopScheme(QObject* pParent = nullptr);
    ~CDesktopScheme() override;

    // The portal's answer so far (Unknown until it answers). Reads a reply that arrived while
    // the event loop did not run yet, without waiting for one.
    SchemeHint PortalHint();
    SchemeHint GtkHint() const;
    SchemeHint QtPaletteHint() const { return m_qtPalette; }

    // A portal reply's value: the number, possibly wrapped in D-Bus variants (Read wraps it
    // once more than ReadOne). Anything else is Unknown.
    static SchemeHint HintFromPortalValue(const QVariant& value);
    // GTK_THEME's value ("Name" or "Name:variant").
    static SchemeHint HintFromGtkTheme(const QString& theme);
    // The text of a GTK settings.ini.
    static SchemeHint HintFromGtkSettings(const QByteArray& ini);

signals:
    // The portal answered, or announced a new preference.
    void changed();

private slots:
    void OnSettingChanged(const QString& ns, const QString& key, const QDBusVariant& value);

private:
    void AskPortal();
    void TakePortalReply();

    struct Pending;
    std::unique_ptr<Pending> m_pPending;
    SchemeHint m_portal = SchemeHint::Unknown;
    SchemeHint m_qtPalette = SchemeHint::Unknown;
};
