// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../workspace/WorkspaceFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>

// The workspace with its dialogs: a command opens a dialog without waiting for it, so the test
// finds it showing and answers it.
class DialogTest : public WorkspaceTest
{
protected:
    // The modal dialog showing now, of this class; null when none (or another) shows.
    template <class T> static T* Showing()
    {
        return qobject_cast<T*>(QApplication::activeModalWidget());
    }
    // Runs a command and returns the dialog it opened.
    template <class T> T* OpenBy(int nID)
    {
        EXPECT_TRUE(frame->SendCommand(nID));
        T* dlg = Showing<T>();
        EXPECT_NE(dlg, nullptr) << "no dialog after command " << nID;
        return dlg;
    }
    // Waits until the dialog that was showing is gone (deleted once closed).
    static bool Gone(QWidget* pDialog)
    {
        QPointer<QWidget> guard(pDialog);
        return WaitFor([guard] { return guard.isNull(); }, 5000);
    }
    // The dialog becomes the active window (the window system answers a moment later).
    static bool BecomesActive(QWidget* pDialog)
    {
        return WaitFor([pDialog] { return QApplication::activeWindow() == pDialog; }, 5000);
    }
    // A click on a button; on a check box's box, which stays at its left however wide the
    // check box is laid out.
    static void Click(QWidget* pButton)
    {
        ASSERT_NE(pButton, nullptr);
        QPoint at = pButton->rect().center();
        if (qobject_cast<QCheckBox*>(pButton) != nullptr)
            at.setX(qMin(at.x(), pButton->height() / 2 + 2));
        QTest::mouseClick(pButton, Qt::LeftButton, {}, at);
    }
    // The dialog sits centred over the main window.
    void ExpectCentred(const QWidget* pDialog) const
    {
        const QPoint delta = pDialog->frameGeometry().center() - frame->frameGeometry().center();
        EXPECT_LE(delta.manhattanLength(), 4)
            << "dialog centre is off by " << delta.x() << ", " << delta.y();
    }
};
