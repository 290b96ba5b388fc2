// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/SaveCommands.h"

#include "commands/CmdTarget.h"
#include "panes/PaneWnd.h"
#include "platform/Paths.h"
#include "res/FileFilter.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "workspace/ContextCommands.h"
#include "workspace/NuvBrowserForm.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

CSaveCommands::CSaveCommands(CNuvBrowserForm* pForm) : QObject(pForm), m_pForm(pForm) {}

void CSaveCommands::MapCommands(CCmdTarget& target)
{
    target.Map(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    target.Map(ID_CONTEXT_SAVE_IMAGE_AS, [this] { OnSaveImageAs(); });
    target.Map(ID_CONTEXT_SAVE_TARGET_AS, [this] { OnSaveLinkTargetAs(); });
}

namespace {
// A web address, not a file path (also not one with a drive letter such as "C:").
bool IsWebAddress(const QString& address)
{
    return QUrl(address).scheme().size() >= 2;
}

QString WithoutQueryAndFragment(const QString& address)
{
    qsizetype nEnd = address.indexOf(QLatin1Char('?'));
    const qsizetype nHash = address.indexOf(QLatin1Char('#'));
    if (nHash >= 0 && (nEnd < 0 || nHash < nEnd))
        nEnd = nHash;
    return nEnd >= 0 ? address.left(nEnd) : address;
}
} // namespace

CSaveCommands::FileName CSaveCommands::SplitFileName(const QString& address)
{
    FileName result;
    const bool bWeb = IsWebAddress(address);
    const QString path = bWeb ? WithoutQueryAndFragment(address) : address;
    const qsizetype nSlash =
        qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    result.name = path.mid(nSlash + 1);
    if (bWeb) {
        result.name = QUrl::fromPercentEncoding(result.name.toUtf8());
        result.name.replace(QLatin1Char('/'), QLatin1Char('_'));
        result.name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    }
    const qsizetype nDot = result.name.lastIndexOf(QLatin1Char('.'));
    if (nDot >= 0) {
        result.extension = result.name.mid(nDot + 1);
        result.bHasExtension = true;
    }
    return result;
}

CSaveCommands::FilterChoice CSaveCommands::ChooseFilter(const QString& type, bool bDownload)
{
    const auto begins = [&type](const char* prefix) {
        return type.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
    };
    if (begins("HTM"))
        return {IDS_FILTER_HTML, QStringLiteral("htm"), {"htm", "html"}, bDownload};
    if (begins("GIF"))
        return {IDS_FILTER_GIF, QStringLiteral("gif"), {"gif"}, true};
    if (begins("JPG") || begins("JPEG"))
        return {IDS_FILTER_JPG, QStringLiteral("jpg"), {"jpg", "jpeg", "jpe"}, true};
    return {IDS_FILTER_ALL, QString(), {}, bDownload};
}

QString CSaveCommands::ProposedName(const QString& address, const QString& type)
{
    const FileName file = SplitFileName(address);
    const FilterChoice choice = ChooseFilter(type, false);
    if (choice.suffixes.isEmpty() ||
        (file.bHasExtension && choice.suffixes.contains(file.extension, Qt::CaseInsensitive)))
        return file.name;
    const QString stem = file.name.isEmpty() ? QStringLiteral("index") : file.name;
    return stem + QLatin1Char('.') + choice.defaultSuffix;
}

void CSaveCommands::SaveWithDialog(const QString& address, const QString& type, const QString& name,
                                   bool bDownload)
{
    const FilterChoice choice = ChooseFilter(type, bDownload);
    const QString folder = m_strLastSaveFolder.isEmpty() ? DownloadsFolder() : m_strLastSaveFolder;
    auto* pDialog =
        new QFileDialog(m_pForm, tr("Save As"), folder, LoadFileFilter(choice.nFilterID));
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setAcceptMode(QFileDialog::AcceptSave);
    pDialog->setFileMode(QFileDialog::AnyFile);
    pDialog->setDefaultSuffix(choice.defaultSuffix);
    if (!name.isEmpty())
        pDialog->selectFile(name);
    const bool bSaveDownload = choice.bDownload;
    connect(pDialog, &QFileDialog::fileSelected, this,
            [this, address, bSaveDownload](const QString& path) {
                if (path.isEmpty())
                    return;
                const qsizetype nSeparator =
                    qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
                if (nSeparator >= 0)
                    m_strLastSaveFolder = path.left(nSeparator + 1);
                Save(address, path, bSaveDownload);
            });
    pDialog->open();
}

void CSaveCommands::Save(const QString& address, const QString& path, bool bDownload)
{
    CPaneWnd* pPane = m_pForm->GetActivePane();
    if (pPane == nullptr) {
        ShowMessage(IDS_SAVE_TARGET_BLANK);
        return;
    }
    QPointer<CSaveCommands> self(this);
    // A save the user stopped (Esc) ends without a word; the pane shows the running one.
    const auto done = [self](SaveResult result) {
        if (self && result == SaveResult::Failed)
            self->ShowMessage(IDS_SAVE_TARGET_BLANK);
    };
    if (bDownload)
        pPane->SaveAddressToFile(address, path, done);
    else
        pPane->SaveDocument(path, done);
}

void CSaveCommands::ShowMessage(int nID)
{
    auto* pBox = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("nuvBrowser"), LoadString(nID),
                                 QMessageBox::Ok, m_pForm);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->open();
}

void CSaveCommands::SaveAddress(const CPaneWnd* pFrom, const QString& address)
{
    // The engine fetches the target for the page: a web page's link to a local file would
    // copy that file wherever the user saves it.
    if (!CContextCommands::MayOpenFromPane(m_pForm, pFrom, address))
        return;
    const FileName file = SplitFileName(address);
    SaveWithDialog(address, file.bHasExtension ? file.extension : QStringLiteral("*"), file.name,
                   true);
}

void CSaveCommands::OnSaveImageAs()
{
    if (CPaneWnd* pPane = m_pForm->GetActivePane())
        SaveAddress(pPane, pPane->GetImageAddress());
}

void CSaveCommands::OnSaveLinkTargetAs()
{
    if (CPaneWnd* pPane = m_pForm->GetActivePane())
        SaveAddress(pPane, pPane->GetLinkAddress());
}

void CSaveCommands::OnFileSaveAs()
{
    CPaneWnd* pPane = m_pForm->GetActivePane();
    if (pPane == nullptr)
        return;
    QPointer<CSaveCommands> self(this);
    pPane->GetSaveInfo([self](const PaneSaveInfo& info) {
        if (!self)
            return;
        if (!info.bOk) {
            self->ShowMessage(IDS_SAVE_BLANK);
            return;
        }
        self->SaveWithDialog(info.address, info.type, ProposedName(info.address, info.type), false);
    });
}
