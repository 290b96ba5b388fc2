// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// A page of the program's own, laid over the engine's view where the engine has nothing
// useful to show (the page's process ended, a page refused while working offline). It is
// a plain widget: it needs no page process and nothing from the network.
class CNoticePage : public QWidget
{
    Q_OBJECT
public:
    explicit CNoticePage(QWidget* pParent);

    // Shows a heading, the address it is about, and what the user can do.
    void ShowNotice(const QString& heading, const QString& address, const QString& advice);
    QString Heading() const;
    QString Text() const; // everything shown, as plain text

private:
    QLabel* m_pHeading;
    QLabel* m_pAddress;
    QLabel* m_pAdvice;
};
