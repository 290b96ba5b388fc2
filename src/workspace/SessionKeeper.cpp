// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/SessionKeeper.h"

#include "options/AppSettings.h"
#include "panes/HtmlPane.h"
#include "platform/BrowserMainKey.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>

#include <cstdio>

CSessionKeeper::CSessionKeeper(CNuvBrowserForm* pForm, CAppSettings* pApp, const CSessionFile& file)
    : QObject(pForm), m_pForm(pForm), m_pApp(pApp), m_file(file)
{
    m_timerWrite.setInterval(kWriteDelayMs);
    connect(&m_timerWrite, &QTimer::timeout, this, &CSessionKeeper::WriteIfChanged);
    m_timerTrial.setSingleShot(true);
    m_timerTrial.setInterval(kRestoreTrialMs);
    connect(&m_timerTrial, &QTimer::timeout, this,
            [this] { QFile::remove(m_file.RestoringMarkerPath()); });
}

CSessionKeeper::~CSessionKeeper()
{
    Finish();
}

void CSessionKeeper::RestoreAtStart(const std::function<void(int)>& done)
{
    // The file is kept from here on; the session left behind is dealt with first.
    m_timerWrite.start();
    if (QFile::exists(m_file.RestoringMarkerPath())) {
        // The last restore ended abnormally within its first moments: not offered again.
        QFile::remove(m_file.RestoringMarkerPath());
        PutAside("the restored session ended abnormally and is not offered again");
        done(-1);
        return;
    }
    SessionData data;
    switch (m_file.Read(&data)) {
    case CSessionFile::ReadResult::Missing:
        done(-1);
        return;
    case CSessionFile::ReadResult::Damaged:
        PutAside("the session file cannot be read");
        done(-1);
        return;
    case CSessionFile::ReadResult::Ok:
        break;
    }
    if (!HoldsPages(data)) {
        // Nothing the start would not open anyway: nothing to offer.
        m_file.Remove();
        done(-1);
        return;
    }
    if (m_pApp->RunRestoreSession != 0) {
        Restore(data);
        done(data.nActive);
        return;
    }
    Offer(data, done);
}

bool CSessionKeeper::HoldsPages(const SessionData& data)
{
    return std::any_of(data.addresses.cbegin(), data.addresses.cend(), [](const QString& address) {
        return QUrl(address) != QUrl(QStringLiteral("about:blank")) &&
               !CBrowserMainKey::IsStartPage(address);
    });
}

void CSessionKeeper::Offer(const SessionData& data, const std::function<void(int)>& done)
{
    // Asked without a loop of its own: the answer continues the start. Until then nothing
    // is written over the file, and a program that ends meanwhile leaves it for the next start.
    m_bAsking = true;
    auto* pBox = new QMessageBox(QMessageBox::Question, QStringLiteral("nuvBrowser"),
                                 QStringLiteral("nuvBrowser did not close normally. Open the "
                                                "pages of the last session?"),
                                 QMessageBox::Yes | QMessageBox::No, m_pForm->window());
    // The pages that come back, as the file holds them (a source view, for one, does not).
    const qsizetype n = data.addresses.size();
    pBox->setInformativeText(n == 1 ? QStringLiteral("1 page will open again.")
                                    : QStringLiteral("%1 pages will open again.").arg(n));
    pBox->setDefaultButton(QMessageBox::Yes);
    pBox->setEscapeButton(QMessageBox::No);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    connect(pBox, &QDialog::finished, this, [this, pBox, data, done](int) {
        m_bAsking = false;
        const QMessageBox::StandardButton answer = pBox->standardButton(pBox->clickedButton());
        if (answer == QMessageBox::Yes) {
            Restore(data);
            done(data.nActive);
            return;
        }
        if (answer == QMessageBox::No) {
            PutAside("the pages of the last session were not opened");
        } else {
            // Closed without an answer: the file stays as it was, for the next start.
            m_timerWrite.stop();
            m_bFinished = true;
        }
        done(-1);
    });
    pBox->open();
}

void CSessionKeeper::PutAside(const char* why)
{
    const QByteArray path = QFile::encodeName(m_file.Path());
    if (!QFileInfo::exists(m_file.Path()) && !QFileInfo(m_file.Path()).isSymLink())
        return; // nothing left behind
    const CBackupSlots::Kept kept = m_file.MoveToBackup();
    if (kept.path.isEmpty()) {
        // Never written over without a backup: this run keeps no session.
        std::fprintf(stderr,
                     "nuvbrowser: %s; %s cannot be put aside and stays as it is, and this run "
                     "keeps no session.\n",
                     why, path.constData());
        m_timerWrite.stop();
        m_bFinished = true;
        return;
    }
    std::fprintf(stderr, "nuvbrowser: %s; it is kept in %s.\n", why,
                 QFile::encodeName(kept.path).constData());
    if (kept.bDroppedOldest)
        std::fprintf(stderr,
                     "nuvbrowser: the oldest of the %d sessions kept beside %s was dropped.\n",
                     CBackupSlots::kSlots, path.constData());
}

void CSessionKeeper::Restore(const SessionData& data)
{
    // A restore that ends abnormally before the trial ends is not offered again.
    QFile marker(m_file.RestoringMarkerPath());
    if (marker.open(QIODevice::WriteOnly))
        marker.close();
    m_timerTrial.start();

    for (qsizetype i = 0; i < data.addresses.size(); ++i) {
        CPaneWnd* pPane = m_pForm->AddPaneAs(PANE_HTML, nullptr, false);
        if (pPane == nullptr)
            continue;
        const PaneRecord restored{data.addresses[i], data.History(i), data.Title(i)};
        // Until it loads, the pane is known by the title its page had.
        pPane->SetTitle(restored.title.isEmpty() ? CHtmlPane::AddressLabel(restored.address)
                                                 : restored.title);
        m_pending.insert(pPane, restored);
        m_restored.insert(pPane, restored);
        connect(pPane, &QObject::destroyed, this, [this, pPane] {
            m_pending.remove(pPane);
            m_restored.remove(pPane);
        });
    }
    // The panes closed in that session can be opened again in this one.
    m_pForm->ClosedPanes().Assign(data.closed);
    m_written = data;
    m_bWritten = true;
}

void CSessionKeeper::LoadIfPending(CPaneWnd* pPane)
{
    const auto it = m_pending.find(pPane);
    if (it == m_pending.end())
        return;
    const PaneRecord restored = it.value();
    m_pending.erase(it);
    m_pForm->NavigatePane(pPane, restored.address, false, restored.history);
}

CSessionKeeper::PaneRecord CSessionKeeper::LiveRecord(const CPaneWnd* pPane)
{
    PaneRecord record{pPane->GetAddress(), pPane->SaveHistory(), pPane->PageTitle()};
    // A page without a title of its own is named by its address: nothing to keep.
    if (record.title == record.address)
        record.title.clear();
    return record;
}

CSessionKeeper::PaneRecord CSessionKeeper::Record(const CPaneWnd* pPane) const
{
    // A page not loaded yet, still on its way or that never arrived keeps what it came back
    // with. The engine's history is read as it is now.
    const auto pending = m_pending.constFind(pPane);
    if (pending != m_pending.cend())
        return pending.value();
    PaneRecord record = LiveRecord(pPane);
    if (record.address.isEmpty())
        record = m_restored.value(pPane);
    return record;
}

SessionData CSessionKeeper::Snapshot() const
{
    SessionData data;
    CPaneTabCtrl* pTabs = m_pForm->TabStrip();
    for (int i = 0; i < pTabs->count(); ++i) {
        const CPaneWnd* pPane = pTabs->GetTabPane(i);
        if (pPane == nullptr || pPane->GetPaneKind() != PANE_HTML)
            continue;
        const PaneRecord pane = Record(pPane);
        if (pane.address.isEmpty())
            continue;
        if (pPane == m_pForm->GetActivePane())
            data.nActive = int(data.addresses.size());
        data.addresses << pane.address;
        data.histories << pane.history;
        data.titles << pane.title;
    }
    data.closed = m_pForm->ClosedPanes().List();
    return data;
}

void CSessionKeeper::WriteIfChanged()
{
    // Nothing is written over the session left behind while the question is open.
    if (m_bFinished || m_bAsking)
        return;
    const SessionData data = Snapshot();
    if (m_bWritten && data == m_written)
        return;
    if (data.addresses.isEmpty())
        m_file.Remove();
    else if (!m_file.Write(data))
        return; // tried again at the next tick
    m_written = data;
    m_bWritten = true;
}

void CSessionKeeper::Finish()
{
    // Still asking: the session left behind stays for the next start.
    if (m_bFinished || m_bAsking)
        return;
    m_timerWrite.stop();
    m_timerTrial.stop();
    QFile::remove(m_file.RestoringMarkerPath());
    if (m_pApp->RunRestoreSession != 0) {
        m_bWritten = false;
        WriteIfChanged();
    } else {
        m_file.Remove();
    }
    m_bFinished = true;
}
