// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/PaneWnd.h"

#include <QPointer>

#include <QPlainTextEdit>

// The pane that shows plain text (the source view): a read-only, multi-line text control
// that is the pane's window. It has no address, history or page of its own; the address
// field shows the address of the page whose source it is while it is in front.
class CTextPane : public CPaneWnd
{
    Q_OBJECT
public:
    static constexpr int kTextImage = 5; // the tab image after SetText

    CTextPane();
    ~CTextPane() override;

    bool Create(IPaneHost* pForm, const PaneRect& rc, IBrowserControl** ppDisp,
                bool bFavoritesShown, bool bActivate) override;
    int GetPaneKind() const override { return PANE_TEXT; }
    bool Navigate(const QString&, bool, bool) override { return false; }
    void GetSaveInfo(SaveInfoDone done) override;
    void SaveAddressToFile(const QString&, const QString&, SaveDone done) override;
    void SaveDocument(const QString&, SaveDone done) override;
    void Copy() override;
    void Cut() override {}
    void Find() override {}
    void Paste() override {}
    void SelectAll() override {}
    void Print() override {}
    void GoBack() override {}
    void GoForward() override {}
    void GoHome() override {}
    void GoSearch() override {}
    void Stop() override {}
    void Refresh() override {}
    bool IsCommandEnabled(int nCommand) const override;
    bool OwnsWindow(const QWidget*) const override { return false; }
    void InspectAt(const QPoint&, InspectDone done) override { done(0); }
    bool CanGoBack() const override { return false; }
    bool CanGoForward() const override { return false; }
    void SetHeight(int cy) override;
    void SetLeft(int x) override;
    QString GetAddress() const override { return QString(); }
    QString GetLinkAddress() const override { return QString(); }
    QString GetImageAddress() const override { return QString(); }
    int UpdateTextSize() override { return 0; }
    int SetTextSize(int) override { return 0; }
    bool GetSelectedText(QString*) const override { return false; }
    QStringList GetRecentAddresses() const override { return QStringList(); }
    void GetProperties(PropertiesDone done) override;
    QWidget* SetParentWnd(QWidget* pParent) override;
    void ShowAddress() override;
    void GetSource(SourceDone done) override;
    void SetText(const QString& text) override;

    QPlainTextEdit* Edit() const { return m_edit; }
    // The address of the page whose source the pane shows.
    void SetSourceAddress(const QString& address);
    const QString& SourceAddress() const { return m_strSourceAddress; }

private:
    QPointer<QPlainTextEdit> m_edit;
    QString m_strSourceAddress;
};
