// SPDX-License-Identifier: GPL-3.0-or-later
#include "InternetSettings.h"

#include "options/AppSettings.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/SettingChangeNotifier.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QtEndian>

namespace {
// A value is taken only when it fits the 4096-byte work buffer.
const qsizetype kBufferChars = 4096 / 2;

QString SlotName(int i)
{
    return QStringLiteral("url%1").arg(i + 1);
}
} // namespace

const char* const CInternetSettings::kTypedUrlsKey =
    "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char* const CInternetSettings::kFontKey =
    "Software\\Microsoft\\Internet Explorer\\International\\932";

int CInternetSettings::ViewFontFallback() const
{
    return m_pApp ? m_pApp->ViewFont : 2;
}

void CInternetSettings::CreateDefaultKeys(int nViewFont)
{
    CRegistryStore().Update([&](RegistryData& data) {
        const bool hadMain = data.FindKey(QString::fromLatin1(kMainKey)) != nullptr;
        RegKeyData& main = data.CreateKey(QString::fromLatin1(kMainKey));
        if (!hadMain) {
            main.values << RegValue::String("Start Page", CBrowserMainKey::DefaultStartPage())
                        << RegValue::String("Windows CE Page", CBrowserMainKey::DefaultStartPage())
                        << RegValue::String("Search Page", CBrowserMainKey::DefaultSearchPage())
                        << RegValue::String("Display Inline Images", "yes")
                        << RegValue::String("Play_Background_Sounds", "yes");
        }
        data.CreateKey(QString::fromLatin1(kTypedUrlsKey));
        if (data.FindKey(QString::fromLatin1(kFontKey)) == nullptr) {
            QByteArray size(4, '\0');
            qToLittleEndian<quint32>(quint32(nViewFont), size.data());
            data.CreateKey(QString::fromLatin1(kFontKey))
                .values.append(RegValue::Binary("IEFontSize", size));
        }
    });
}

void CInternetSettings::ReadInternetSettings()
{
    m_strHomePage.clear();
    for (QString& slot : m_strTypedUrls)
        slot.clear();

    // One read of the file; each missing key ends the reading as on the platform.
    const RegistryData data = CRegistryStore().Read();
    auto text = [](const RegValue* v, QString* out) {
        if (v == nullptr)
            return false;
        QString s = v->type == REG_SZ ? v->text : QString();
        if (v->type == REG_BINARY)
            s = QString::fromUtf16(reinterpret_cast<const char16_t*>(v->data.constData()),
                                   v->data.size() / 2);
        if (v->type != REG_SZ && v->type != REG_BINARY)
            return false;
        if (s.size() + 1 > kBufferChars)
            return false;
        const qsizetype zero = s.indexOf(QChar(0));
        *out = zero >= 0 ? s.left(zero) : s;
        return true;
    };

    const RegKeyData* main = data.FindKey(QString::fromLatin1(kMainKey));
    if (main == nullptr)
        return;
    text(main->Find("Windows CE Page"), &m_strHomePage);

    const RegKeyData* typed = data.FindKey(QString::fromLatin1(kTypedUrlsKey));
    if (typed == nullptr)
        return;
    for (int i = 0; i < kTypedSlots; ++i)
        text(typed->Find(SlotName(i)), &m_strTypedUrls[i]);

    const RegKeyData* font = data.FindKey(QString::fromLatin1(kFontKey));
    const RegValue* size = font ? font->Find("IEFontSize") : nullptr;
    if (size != nullptr && size->type != REG_NONE) {
        // Read into a 4-byte number that starts as 0; a larger value does not fit.
        QByteArray bytes = size->type == REG_DWORD
                               ? QByteArray(reinterpret_cast<const char*>(&size->dword), 4)
                           : size->type == REG_BINARY ? size->data
                                                      : QByteArray();
        if (size->type == REG_SZ || bytes.size() > 4) {
            m_nTextSize = ViewFontFallback() + 1;
            return;
        }
        bytes.append(QByteArray(4 - bytes.size(), '\0'));
        m_nTextSize = int(qFromLittleEndian<quint32>(bytes.constData())) + 1;
    } else {
        m_nTextSize = ViewFontFallback() + 1;
    }
}

void CInternetSettings::WriteInternetSettings()
{
    CRegistryStore().Update([&](RegistryData& data) {
        if (m_bTypedUrlsChanged) {
            RegKeyData& typed = data.CreateKey(QString::fromLatin1(kTypedUrlsKey));
            for (int i = 0; i < kTypedSlots; ++i) {
                const QString name = SlotName(i);
                if (m_strTypedUrls[i].isEmpty()) {
                    // A slot that became empty loses its stored value too, or the address
                    // that left the list would come back at the next start.
                    typed.values.removeIf([&](const RegValue& v) {
                        return v.name.compare(name, Qt::CaseInsensitive) == 0;
                    });
                } else if (RegValue* v = typed.Find(name)) {
                    *v = RegValue::String(v->name, m_strTypedUrls[i]);
                } else {
                    typed.values.append(RegValue::String(name, m_strTypedUrls[i]));
                }
            }
        }
        if (m_nTextSize > 0) {
            if (RegKeyData* font = data.FindKey(QString::fromLatin1(kFontKey))) {
                QByteArray size(4, '\0');
                qToLittleEndian<quint32>(quint32(m_nTextSize - 1), size.data());
                if (RegValue* v = font->Find("IEFontSize"))
                    *v = RegValue::Binary(v->name, size);
                else
                    font->values.append(RegValue::Binary("IEFontSize", size));
            }
        }
    });
    if (m_nTextSize > 0) {
        if (m_pApp)
            m_pApp->ViewFont = m_nTextSize - 1;
    }
    CSettingChangeNotifier::Broadcast();
}

bool CInternetSettings::WriteBrowserMainValue(const QString& name, const QString& value)
{
    CRegKey key;
    if (!key.Open(QString::fromLatin1(kMainKey)) || value.isEmpty())
        return false;
    if (!key.SetString(name, value))
        return false;
    CSettingChangeNotifier::Broadcast();
    return true;
}

void CInternetSettings::AddTypedAddress(const QString* pAddress, QComboBox* pCombo)
{
    if (pAddress == nullptr)
        return;
    m_bTypedUrlsChanged = true;
    int remove = 0;
    for (int i = 0; i < kTypedSlots; ++i) {
        if (m_strTypedUrls[i] == *pAddress) {
            remove = i;
            break;
        }
    }
    for (int i = remove; i < kTypedSlots - 1; ++i)
        m_strTypedUrls[i] = m_strTypedUrls[i + 1];
    m_strTypedUrls[kTypedSlots - 1] = *pAddress;
    FillAddressList(pCombo);
}

void CInternetSettings::RemoveTypedAddress(const QString& address, QComboBox* pCombo)
{
    for (int i = 0; i < kTypedSlots; ++i) {
        if (m_strTypedUrls[i] != address)
            continue;
        // The older entries move up to the newest end; the oldest slot is left empty.
        for (int j = i; j > 0; --j)
            m_strTypedUrls[j] = m_strTypedUrls[j - 1];
        m_strTypedUrls[0].clear();
        m_bTypedUrlsChanged = true;
        FillAddressList(pCombo);
        return;
    }
}

void CInternetSettings::FillAddressList(QComboBox* pCombo) const
{
    if (pCombo == nullptr)
        return;
    // Refilling the list must not change what the field shows or what the user types.
    QLineEdit* edit = pCombo->lineEdit();
    const QString saved = edit ? edit->text().left(2046) : QString();
    const int cursor = edit ? edit->cursorPosition() : 0;
    const QSignalBlocker block(pCombo);
    pCombo->clear();
    for (int i = kTypedSlots - 1; i >= 0; --i)
        if (!m_strTypedUrls[i].isEmpty())
            pCombo->addItem(m_strTypedUrls[i]);
    if (edit) {
        edit->setText(saved);
        edit->setCursorPosition(qMin(cursor, int(saved.size())));
    }
}
