#pragma once

#include "windows/SingleInstance.h"

#include <QDialog>

class QLabel;

// "ver. 1 . 2 . 3": the version's three numbers as plain decimals, a blank on each side of each
// point.
QString aboutVersionText(int major, int minor, int revision);

// The about box: a borderless box with a thin drawn border, 281 x 150 pixels inside it, light
// grey, centred on the screen, with the product name, the version, a line and the program's
// picture. A click anywhere on it or Esc closes it; no other key does. Made afresh at every
// showing. Controls carry their given names as object names. UI thread only.
class frmabout : public QDialog, public SingleInstance<frmabout>
{
    Q_OBJECT

public:
    frmabout();
    ~frmabout() override;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Picture1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void Form_Load();
};
