// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

// A small square button that shows a picture chosen by the first letter of its caption:
// "S" a blue triangle pointing down, "H" one pointing up, "C" a black X; a grey X whenever it
// is disabled. A pressed button looks like a released one.
class CIconButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CIconButton(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
