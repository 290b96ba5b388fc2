// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPushButton;

// The Internet Options dialog: the start, handheld and search pages, the typed-address list
// and the text size of the platform browser, read from the registry when it opens and written back
// on OK. Written in plain widgets and lambdas, without a meta-object of its own: the library that
// holds it is unloaded as soon as the dialog has closed.
class CInternetOptionsDialog : public QDialog
{
public:
    explicit CInternetOptionsDialog(QWidget* pParent);

    void accept() override;

private:
    struct TypedAddress
    {
        QString name; // "url1" ... "url10"
        QString text;
    };
    // One page address of the Main key and its edit field.
    struct PageField
    {
        const char* pszValue;
        QLineEdit* pEdit;
        QString strStored; // as read
    };

    void Load();
    bool Save();
    void RemoveSelectedAddresses();
    void RemoveAllAddresses();
    void UpdateButtons();

    QList<PageField> m_pages;
    QListWidget* m_pTypedList;
    QPushButton* m_pRemove;
    QPushButton* m_pClearAll;
    QButtonGroup* m_pTextSize;

    // What was read, so that OK writes only what the user changed.
    QList<TypedAddress> m_typed;   // newest first, as the address bar lists them
    QList<TypedAddress> m_removed; // taken out of the list since the dialog opened
    int m_nTextSize = 0;           // level 1 ... 5; 0 when the stored size is none of them
};
