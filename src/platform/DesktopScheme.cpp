// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DesktopScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>

namespace {
const char kPortalService[] = "org.freedesktop.portal.Desktop";
const char kPortalPath[] = "/org/freedesktop/portal/desktop";
const char kSettingsInterface[] = "org.freedesktop.portal.Settings";
const char kAppearance[] = "org.freedesktop.appearance";
const char kColorScheme[] = "color-scheme";

// A GTK settings file is a few lines; anything larger is not read whole.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

bool IsTrue(const QByteArray& value)
{
    const QByteArray v = value.trimmed().toLower();
    return v == "1" || v == "true" || v == "yes";
}

QString ConfigHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    return xdg.startsWith(QLatin1Char('/')) ? xdg : QDir::homePath() + QStringLiteral("/.config");
}
} // namespace

struct CDesktopScheme::Pending
{
    QDBusPendingCall call;
    explicit Pending(const QDBusPendingCall& c) : call(c) {}
};

CDesktopScheme::CDesktopScheme(QObject* pParent) : QObject(pParent)
{
    if (qGuiApp != nullptr) {
        const QPalette pal = QGuiApplication::palette();
        m_qtPalette =
            pal.color(QPalette::Window).lightness() < pal.color(QPalette::WindowText).lightness()
                ? SchemeHint::Dark
                : SchemeHint::Light;
    }
    AskPortal();
}

CDesktopScheme::~CDesktopScheme() = default;

void CDesktopScheme::AskPortal()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(QString::fromLatin1(kPortalService), QString::fromLatin1(kPortalPath),
                QString::fromLatin1(kSettingsInterface), QStringLiteral("SettingChanged"), this,
                SLOT(OnSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage msg = QDBusMessage::createMethodCall(
        QString::fromLatin1(kPortalService), QString::fromLatin1(kPortalPath),
        QString::fromLatin1(kSettingsInterface), QStringLiteral("Read"));
    msg << QString::fromLatin1(kAppearance) << QString::fromLatin1(kColorScheme);
    m_pPending = std::make_unique<Pending>(bus.asyncCall(msg, 2000));
    auto* watcher = new QDBusPendingCallWatcher(m_pPending->call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const SchemeHint before = m_portal;
        TakePortalReply();
        if (m_portal != before)
            emit changed();
    });
}

void CDesktopScheme::TakePortalReply()
{
    if (!m_pPending || !m_pPending->call.isFinished())
        return;
    const QDBusMessage reply = m_pPending->call.reply();
    m_pPending.reset();
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        m_portal = HintFromPortalValue(reply.arguments().constFirst());
}

SchemeHint CDesktopScheme::PortalHint()
{
    TakePortalReply();
    return m_portal;
}

void CDesktopScheme::OnSettingChanged(const QString& ns, const QString& key,
                                      const QDBusVariant& value)
{
    if (ns != QLatin1String(kAppearance) || key != QLatin1String(kColorScheme))
        return;
    m_pPending.reset(); // a later word than the first answer
    const SchemeHint hint = HintFromPortalValue(value.variant());
    if (hint != m_portal) {
        m_portal = hint;
        emit changed();
    }
}

SchemeHint CDesktopScheme::HintFromPortalValue(const QVariant& value)
{
    QVariant v = value;
    // Read wraps the value in a variant of its own; no honest answer nests deeper than that.
    for (int depth = 0; depth < 4 && v.canConvert<QDBusVariant>() &&
                        v.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        v = v.value<QDBusVariant>().variant();
    if (v.metaType() != QMetaType::fromType<uint>() && v.metaType() != QMetaType::fromType<int>())
        return SchemeHint::Unknown;
    switch (v.toLongLong()) {
    case 1:
        return SchemeHint::Dark;
    case 2:
        return SchemeHint::Light;
    default:
        return SchemeHint::Unknown;
    }
}

SchemeHint CDesktopScheme::HintFromGtkTheme(const QString& theme)
{
    const QString t = theme.trimmed();
    if (t.isEmpty())
        return SchemeHint::Unknown;
    return t.endsWith(QLatin1String(":dark"), Qt::CaseInsensitive) ||
                   t.endsWith(QLatin1String("-dark"), Qt::CaseInsensitive)
               ? SchemeHint::Dark
               : SchemeHint::Light;
}

SchemeHint CDesktopScheme::HintFromGtkSettings(const QByteArray& ini)
{
    bool bInSettings = false;
    SchemeHint hint = SchemeHint::Unknown;
    for (const QByteArray& raw : ini.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            bInSettings = line == "[Settings]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!bInSettings || eq <= 0)
            continue;
        const QByteArray name = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1);
        if (name == "gtk-application-prefer-dark-theme") {
            if (IsTrue(value))
                return SchemeHint::Dark;
            if (hint == SchemeHint::Unknown)
                hint = SchemeHint::Light;
        } else if (name == "gtk-theme-name") {
            const SchemeHint themeHint = HintFromGtkTheme(QString::fromUtf8(value));
            if (themeHint == SchemeHint::Dark)
                return SchemeHint::Dark;
            if (themeHint == SchemeHint::Light)
                hint = SchemeHint::Light;
        }
    }
    return hint;
}

SchemeHint CDesktopScheme::GtkHint() const
{
    const SchemeHint fromEnv = HintFromGtkTheme(qEnvironmentVariable("GTK_THEME"));
    if (fromEnv != SchemeHint::Unknown)
        return fromEnv;
    for (const char* version : {"gtk-4.0", "gtk-3.0"}) {
        QFile file(ConfigHome() + QLatin1Char('/') + QLatin1String(version) +
                   QStringLiteral("/settings.ini"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const SchemeHint hint = HintFromGtkSettings(file.read(kMaxSettingsBytes));
        if (hint != SchemeHint::Unknown)
            return hint;
    }
    return SchemeHint::Unknown;
}
