#pragma once
// A dotted address as four edits with a "." between each pair: the converter's address, mask
// and gateway in the communication settings, the device address in the update dialog.
//
// A "." typed in a part is never inserted: it moves the focus to the next part, as the user
// means when typing an address in one go. From the last part it moves on to the row set with
// Set_Next; without one, the last part takes it as text unless Swallow_Last_Dot is set.
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;

class Octet_Row : public QWidget {
    Q_OBJECT
public:
    // The parts are named <prefix>1 to <prefix>4, the dots L_Dot_<prefix>1 to 3; each part is
    // part_w by part_h pixels (taller in a window drawn for a larger font).
    static constexpr int Default_Part_H = 22;
    Octet_Row(const QString &prefix, int part_w, int dot_w, QWidget *parent, int part_h = Default_Part_H);

    QLineEdit *Part(int i) const { return parts_[size_t(i)]; }  // 0..3
    const std::array<QLineEdit *, 4> &Parts() const { return parts_; }
    // The four texts, as typed.
    QStringList Texts() const;
    void Set_Texts(const QStringList &texts);

    void Set_Next(Octet_Row *next) { next_ = next; }
    void Set_Swallow_Last_Dot(bool swallow) { swallow_last_dot_ = swallow; }
    // "<name> 1" to "<name> 4" for screen readers.
    void Set_Accessible_Names(const QString &name);
    void Set_Read_Only(bool read_only);

signals:
    // The text of any part changed.
    void Edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QLineEdit *, 4> parts_ = {};
    std::array<QLabel *, 3> dots_ = {};
    Octet_Row *next_ = nullptr;
    bool swallow_last_dot_ = false;
};
