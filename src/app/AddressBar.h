// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

// The address bar: one editable combo box (control 1009) that takes the bar's whole width.
// Picking an entry from the dropped-down list navigates at once: the bar then posts itself an
// Enter key, which the frame's key routing treats like a typed Enter. An entry chosen with the
// arrow keys while the list is closed waits for Enter.
class CAddressBar : public QWidget
{
    Q_OBJECT
public:
    explicit CAddressBar(QWidget* parent = nullptr);

    QComboBox* GetCombo() const { return m_pCombo; }
    QLineEdit* GetEdit() const;
    // True while the combo box's list is dropped down.
    bool IsDroppedDown() const { return m_bDroppedDown; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnDroppedDown(bool bDropped);
    void OnSelEndOk();

    bool m_bDroppedDown = false;
    QComboBox* m_pCombo = nullptr;
};
