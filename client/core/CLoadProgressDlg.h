// CLoadProgressDlg: the modeless window of eight numbered lines that the
// metadata loader shows while it fetches the metadata after login.
#pragma once

#include <QDialog>

class QLabel;
class CFontCache;

class CLoadProgressDlg : public QDialog {
    Q_OBJECT
public:
    CLoadProgressDlg(CFontCache& fonts, QWidget* parent = nullptr);
    // Line n (1 to 8) gets the text in bold, the others the plain font; a
    // number outside 1 to 8 only resets the fonts. Repaints at once.
    void SetLine(const QString& text, int line);
    QString GetLineText(int line) const;

private:
    CFontCache& m_fonts;
    QLabel* m_lines[8];
};
