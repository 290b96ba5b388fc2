// SPDX-License-Identifier: GPL-3.0-or-later
// The test support that answers modal windows: a test that waits for its count of handled
// windows must find the handlers' work done.
#include "ModalDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(ModalDriverTest, AHandlerIsCountedOnlyOnceItReturned)
{
    // The box is answered from a posted call that the driver's timer queues; each turn of the
    // loop here runs one batch of events, as a wait that ends between the timer and that call
    // does. The count never runs ahead of the handler.
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("nuvBrowser"),
                                QStringLiteral("Open them?"), QMessageBox::Yes | QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    int nRan = 0;
    QString told;
    CModalDriver driver({[&](QWidget* w) {
        auto* answered = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(answered, nullptr);
        told = answered->text();
        ++nRan;
        answered->button(QMessageBox::Yes)->click();
    }});
    box->show();
    QElapsedTimer timer;
    timer.start();
    while (driver.Handled() == 0 && timer.elapsed() < 15000) {
        QCoreApplication::processEvents();
        ASSERT_EQ(driver.Handled(), nRan) << "counted before it ran";
        QThread::msleep(1);
    }
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(told, "Open them?");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
