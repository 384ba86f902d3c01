#pragma once
// A chooser before an import: a list of rows with a tick box each (in the first column), a
// filter above it, Select all and Select none below it beside the import's own number fields,
// then Import and Cancel. The CAN database's messages and the frames seen on a bus are chosen
// with it. Tab walks filter, list, selection buttons, number fields, buttons; the list, reached
// by Tab, starts on the first shown row's tick box.
#include <QDialog>
#include <QList>
#include <QStringList>

struct App_State;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class Ticked_List_Chooser : public QDialog {
    Q_OBJECT
public:
    // What the controls do, also for tests that choose without clicking.
    void Set_Filter(const QString &text);
    // Ticks or clears every row the filter shows whose box can be ticked.
    void Select_All();
    void Select_None();

protected:
    // object_name and table_name name the window and its list; columns are the list's titles'
    // count.
    Ticked_List_Chooser(App_State &state, const char *object_name, const char *table_name, int columns,
                        QWidget *parent);

    // Fills the list: one row per entry of texts (a text per column); the box of a row that
    // cannot be chosen is greyed. right_aligned: the columns of numbers.
    void Fill_Rows(const QList<QStringList> &texts, const QList<bool> &can_tick, const QList<int> &right_aligned);
    // Whether the row matches the filter's text (trimmed, never empty).
    virtual bool Row_Matches(int row, const QString &filter) const = 0;

    // Where a subclass puts its number fields (after the selection buttons, in Tab order); it
    // calls Add_Buttons once they are made.
    QHBoxLayout *Value_Row() const { return value_row_; }
    void Add_Buttons();

    // The texts every chooser shares, then the window's title, column titles and Import button;
    // marks the letters. A subclass sets its own texts first.
    void Set_Shared_Texts(const QString &title, const QStringList &column_titles, const QString &take);

    QList<int> Ticked_Rows() const;
    bool Is_Ticked(int row) const;
    bool Can_Tick(int row) const;
    void Set_Ticked(const QList<bool> &ticked);
    int Row_Count() const;
    QString Cell(int row, int column) const;
    bool Is_Shown(int row) const;
    QTableWidget *Table() const { return table_; }

    bool eventFilter(QObject *watched, QEvent *event) override;

    App_State &state_;

private:
    void Set_Shown_Checks(bool checked);
    // Import is offered once a row is ticked: importing nothing would close without a word.
    void Update_Take();

    QLabel *L_Filter = nullptr;
    QLineEdit *E_Filter = nullptr;
    QTableWidget *table_ = nullptr;
    QPushButton *Btn_Select_All = nullptr;
    QPushButton *Btn_Select_None = nullptr;
    QHBoxLayout *value_row_ = nullptr;
    QPushButton *Btn_Take = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
