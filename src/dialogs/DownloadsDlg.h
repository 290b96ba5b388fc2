// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

class CDownloadList;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The Downloads window (View, Downloads...): the rows of the downloads list, newest first,
// each with its file name, address, size and state (a progress bar, speed and time left
// while it runs) and the buttons Open, Show in Folder, Cancel, Retry and Remove from List;
// Clear List below removes every row that has ended. It is not modal and follows the list
// as it changes.
class CDownloadsDlg : public QDialog
{
    Q_OBJECT
public:
    CDownloadsDlg(CDownloadList* pList, QWidget* pParent);

    // The row widget of a download (null when not shown): its buttons are named "open",
    // "folder", "cancel", "retry" and "remove".
    QWidget* RowWidget(qint64 nId) const;

protected:
    void showEvent(QShowEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;

private:
    class CRow;

    void AddRow(qint64 nId, int nIndex);
    void UpdateRow(qint64 nId);
    void RemoveRow(qint64 nId);
    void UpdateClearButton();

    QPointer<CDownloadList> m_pList;
    QListWidget* m_pRows = nullptr;
    QPushButton* m_pClear = nullptr;
    QHash<qint64, QListWidgetItem*> m_items;
};
