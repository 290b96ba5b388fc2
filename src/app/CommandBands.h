// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <vector>

class QToolButton;

// The command bands at the top of the frame: bars laid out side by side in rows, each after a
// gripper when it has one. The last band of a row stretches to the row's end; a band that does
// not fit in what is left of a row starts a new one. The close button sits at the end of the
// first row.
class CCommandBands : public QWidget
{
    Q_OBJECT
public:
    explicit CCommandBands(QWidget* parent = nullptr);

    void AddBand(QWidget* pBar, bool bGripper);
    int GetBandCount() const { return static_cast<int>(m_bands.size()); }
    QWidget* GetBand(int nIndex) const;
    // The band keeps at least this width in its row (the address bar's field).
    void SetBandMinWidth(int nIndex, int nWidth);
    // Adds the close button; clicking it emits closeRequested.
    QToolButton* AddCloseButton();
    QToolButton* GetCloseButton() const { return m_pClose; }
    int GetRowCount() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int nWidth) const override;

signals:
    void closeRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Band
    {
        QWidget* pBar;
        bool bGripper;
        int nMinWidth;
    };
    struct Placement
    {
        int nRow;
        QRect rcBand;    // the band with its gripper
        QRect rcBar;     // the bar itself
        QRect rcGripper; // empty without a gripper
    };
    struct Arrangement
    {
        std::vector<Placement> bands;
        std::vector<int> rowTops; // and the bottom of the last row at the end
        QRect rcClose;
    };

    Arrangement Arrange(int nWidth) const;
    int GripperWidth() const;
    int IdealWidth(const Band& band) const;

    std::vector<Band> m_bands;
    QToolButton* m_pClose = nullptr;
    Arrangement m_layout;
};
