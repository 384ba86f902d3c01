#pragma once
// An address to follow, shown as a link (the maker's web site): the mouse's left button, or
// Enter or Space once Tab has brought the focus to it, activates it, and screen readers are told
// it is a link whose name is the address it shows.
#include <QLabel>

class Link_Label : public QLabel {
    Q_OBJECT
public:
    Link_Label(const QString &text, QWidget *parent);

    // Does what a click does; screen readers' "press" comes here too.
    void Activate() { emit Activated(); }

signals:
    void Activated();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
