// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/InternetOptionsCommand.h"

#include "workspace/InternetSettings.h"

#include <QComboBox>
#include <QPointer>
#include <QWidget>

bool RunInternetOptions(QWidget* pFormWindow, CInternetSettings& settings, QComboBox* pAddressCombo,
                        const QStringList& folders)
{
    const QPointer<QWidget> form(pFormWindow);
    const QPointer<QComboBox> combo(pAddressCombo);
    // The applet shows and edits what is stored: the addresses typed and the text size chosen
    // in this session are stored first, so they are neither missing there nor lost when the
    // settings are read back afterwards.
    settings.WriteInternetSettings();
    if (!CAppletLoader::Run(pFormWindow, QString::fromLatin1(CAppletLoader::kInternetOptions),
                            folders))
        return false;
    // The settings belong to the form; a form destroyed while the applet showed took them
    // along.
    if (pFormWindow != nullptr && form.isNull())
        return true;
    settings.ReadInternetSettings();
    settings.FillAddressList(combo.data());
    return true;
}
