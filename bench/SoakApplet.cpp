// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real Internet Options applet the way a user does, for the soak run: loads the
// library, picks a text size in its dialog and presses OK, ROUNDS times, then checks that the
// registry file still reads whole and holds the last choice. It runs beside a running browser,
// which writes the same file meanwhile.
//
// Usage: soak_applet ROUNDS [FOLDER]   (FOLDER holds ioptions.cpl; exit 0: every round saved
// and the file is intact)
#include "platform/AppletLoader.h"
#include "platform/RegistryData.h"
#include "platform/RegistryStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

namespace {
const char kFontKey[] = "Software\\Microsoft\\Internet Explorer\\International\\932";

// The text size the registry holds (1 ... 5), 0 when it holds none.
int StoredTextSize()
{
    RegValue value;
    if (!CRegistryStore().QueryValue(QString::fromLatin1(kFontKey), QStringLiteral("IEFontSize"),
                                     &value) ||
        value.type != REG_BINARY || value.data.size() != 4)
        return 0;
    return int(quint8(value.data.at(0))) + 1;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int nRounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    int nFailures = 0;
    for (int round = 0; round < nRounds; ++round) {
        int nChosen = 0;
        // The dialog is modal: it is answered from a timer while the loader shows it.
        QTimer answer;
        answer.setInterval(20);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!pDialog)
                return;
            answer.stop();
            int nLevel = 1 + int(QRandomGenerator::global()->bounded(5));
            auto* pButton =
                pDialog->findChild<QAbstractButton*>(QStringLiteral("textSize%1").arg(nLevel));
            if (pButton && pButton->isChecked()) {
                nLevel = nLevel % 5 + 1; // a change, so that the applet writes
                pButton =
                    pDialog->findChild<QAbstractButton*>(QStringLiteral("textSize%1").arg(nLevel));
            }
            if (pButton) {
                pButton->click();
                nChosen = nLevel;
            }
            auto* pBox = pDialog->findChild<QDialogButtonBox*>();
            if (QPushButton* pOk = pBox ? pBox->button(QDialogButtonBox::Ok) : nullptr)
                pOk->click();
            else
                pDialog->reject();
        });
        answer.start();
        const QStringList folders = argc > 2 ? QStringList{QString::fromLocal8Bit(argv[2])}
                                             : CAppletLoader::DefaultFolders();
        if (!CAppletLoader::Run(nullptr, QString::fromLatin1(CAppletLoader::kInternetOptions),
                                folders)) {
            std::fprintf(stderr, "soak_applet: the applet could not be run\n");
            return 2;
        }
        const int nStored = StoredTextSize();
        if (nChosen == 0 || nStored != nChosen) {
            std::fprintf(stderr,
                         "soak_applet: round %d chose text size %d, the registry holds %d\n", round,
                         nChosen, nStored);
            ++nFailures;
        }
    }
    QFile file(CRegistryStore::DefaultPath());
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "soak_applet: the registry file cannot be read\n");
        return 1;
    }
    const RegistryData data = RegistryData::Parse(file.readAll());
    if (data.NeedsRepair()) {
        std::fprintf(stderr, "soak_applet: the registry file has damaged lines\n");
        return 1;
    }
    std::printf("soak_applet: %d rounds, %d failed\n", nRounds, nFailures);
    return nFailures == 0 ? 0 : 1;
}
