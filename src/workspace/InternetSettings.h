// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BrowserMainKey.h"

#include <QString>

class CAppSettings;
class QComboBox;

// The platform browser's own settings that the workspace works with: the start page, the
// typed-address list of the address bar and the text size, under
// Software\Microsoft\Internet Explorer (Main, TypedURLs, International\932).
class CInternetSettings
{
public:
    static const int kTypedSlots = 10;
    static constexpr const char* kMainKey = CBrowserMainKey::kPath;
    static const char* const kTypedUrlsKey;
    static const char* const kFontKey;

    // pApp: the application's settings, whose ViewFont stands in for a text size that cannot
    // be read and takes the one written (none: 2, and nothing is set).
    explicit CInternetSettings(CAppSettings* pApp = nullptr) : m_pApp(pApp) {}

    // The keys as a fresh platform browser has them, made where missing (first start).
    static void CreateDefaultKeys(int nViewFont);

    void ReadInternetSettings();
    // Writes the typed-address list (when it changed) and the text size back, sets ViewFont
    // and announces the change.
    void WriteInternetSettings();
    // Writes one string under the Main key and announces the change; an empty value or a
    // missing key writes nothing.
    static bool WriteBrowserMainValue(const QString& name, const QString& value);
    // The address goes to the newest end of the list; the combo box (may be null) is refilled.
    void AddTypedAddress(const QString* pAddress, QComboBox* pCombo);
    // The address leaves the list (when it is there); the combo box (may be null) is refilled.
    void RemoveTypedAddress(const QString& address, QComboBox* pCombo);
    void FillAddressList(QComboBox* pCombo) const;

    QString m_strHomePage;
    QString m_strTypedUrls[kTypedSlots];
    bool m_bTypedUrlsChanged = false;
    int m_nTextSize = 3;

private:
    int ViewFontFallback() const;

    CAppSettings* m_pApp;
};
