#pragma once
// The panels the configuration dialogs share: the title at the top (the software code in large
// grey letters and the dialog's description below it) and the OK / Cancel row at the bottom.
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

struct Title_Panel {
    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
};
Title_Panel Make_Title_Panel(QWidget *parent, const QString &sw_code);

// The software code's look: large, bold and grey. The main window's heading is a step larger
// than the dialogs' title panels.
constexpr int Dialog_Title_Point_Size = 16;
constexpr int Main_Title_Point_Size = 20;
void Set_Title_Style(QLabel *sw_code, int point_size);

struct Button_Panel {
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
// OK and Cancel at the right; their texts come from the dialog's Set_Lang.
Button_Panel Make_Button_Panel(QWidget *parent);

// The findings list of the report windows (the check before an update, the bus check): a
// read-only table TB_Findings of three columns, selected by row, the first column taking the
// room and wrapping its text, the other two as wide as their contents.
class QTableWidget;
QTableWidget *Make_Findings_Table(QWidget *parent);

// Lays out the usual dialog: the title panel on top, the body (the returned layout, for the
// dialog to fill; 12 pixels left and right, 8 above, body_bottom below) and the button panel at
// the bottom. A stretching body takes every pixel the window gains or loses; otherwise the
// space goes between the body and the buttons.
QVBoxLayout *Stack_Dialog(QWidget *dialog, QWidget *title, QWidget *buttons, bool body_stretches,
                          int body_bottom = 0);

// Places the window in the middle of the primary screen.
void Center_On_Screen(QWidget *window);

// Centres the window at each of its showings, at the size it shows with. A dialog that is hidden
// and shown again would otherwise come back where the window manager last put its frame, which
// drifts by the title bar's height on some desktops.
void Keep_Centred(QWidget *window);

// The width a window needs for the window manager to write its whole title in the bar above
// it: the title in the bar's font (bold, as most desktops draw it) and room for the bar's icon,
// buttons and margins. Qt cannot ask the window manager, so this is an estimate on the safe side.
// Never more than nine tenths of the screen's width.
int Title_Width_Need(const QWidget *window);
// Keeps a window that the user resizes at least as wide as its title needs (and its controls),
// widening it now where it is narrower.
void Fit_Title(QWidget *window);
