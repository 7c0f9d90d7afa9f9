#pragma once
// TfrmImage ("frmImage"): the splash window shown while the program starts. Borderless,
// 450 by 450, black, on top, centred; the picture `img1`, the program name and version
// `lbProgram` and the legal notice below it.
//
// Invariant: a missing or undecodable picture hides only `img1`; the labels always show.

#include <QWidget>

class QLabel;

class TfrmImage : public QWidget {
    Q_OBJECT
public:
    // picturePath: the JPEG to show; version: "1.3"; legal: the notice under the name.
    TfrmImage(const QString& picturePath, const QString& version, const QString& legal,
              QWidget* parent = nullptr);

    // Makes the window visible and paints it at once.
    void showNow();
    // The legal notice in the language the options chose (they are read after the splash
    // shows), painted at once.
    void translateNotice();

    QLabel* img1() const { return m_img1; }
    QLabel* lbProgram() const { return m_lbProgram; }
    QLabel* lbLegal() const { return m_lbLegal; }

private:
    QLabel* m_img1;
    QLabel* m_lbProgram;
    QLabel* m_lbLegal;
    QString m_legal;   // the notice in English, the key of its message row
};
