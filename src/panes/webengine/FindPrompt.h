#pragma once

#include <QDialog>

class QLineEdit;
class QWebEnginePage;

// The find prompt of a page: a small window beside the page with the text to look for;
// Enter or "Find Next" finds the next match, Shift+Enter the previous one.
class CFindPrompt : public QDialog
{
    Q_OBJECT
public:
    CFindPrompt(QWebEnginePage* pPage, QWidget* pParent);

    void FindNext(bool bBackward);

private:
    QWebEnginePage* m_pPage;
    QLineEdit* m_pText;
};
