#pragma once
// Shared pieces of the GUI tests: a recorder for message boxes, a way to act inside a modal
// dialog, and a fresh workspace folder.
#include "widgets/Message_Box.h"
#include "Fakes.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

// The control of that object name (and class) below window. A test that names a control that is
// not there stops at once, naming it, rather than failing later on a null pointer.
template <class T = QWidget>
T *Get(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QLatin1String(name));
    if (!w) qFatal("control %s not found", name);
    return w;
}

// Records every error box, warning and question; answers questions from a queue (Yes when
// empty).
class Message_Recorder : public Message_Box::Handler {
public:
    Message_Recorder() { Message_Box::Install(this); }
    ~Message_Recorder() override { Message_Box::Install(nullptr); }

    void Error(QWidget *, const QString &text) override { Errors.append(text); }
    void Warning(QWidget *, const QString &text) override { Warnings.append(text); }
    void Information(QWidget *, const QString &text) override { Notes.append(text); }
    bool Ask(QWidget *, const QString &text) override
    {
        Questions.append(text);
        return Answers.isEmpty() ? true : Answers.takeFirst();
    }

    QStringList Errors;
    QStringList Warnings;
    QStringList Notes;
    QStringList Questions;
    QList<bool> Answers;
};

// Runs action once the next modal dialog is running (keep actions short: a failure inside
// leaves the dialog open; close it from the action).
void When_Modal(std::function<void()> action);

// The top-level dialog that is currently modal, or null.
QWidget *Active_Modal();

// A grid driven as a user drives it, with the mouse and the keyboard.
class QModelIndex;
class QTableView;
// Scrolls the cell into view and clicks its middle (on a check box cell this toggles it).
void Click_Cell(QTableView *view, const QModelIndex &index);
// Selects the cell and types text into it: the first key opens the cell's editor (F2 opens it
// for a text that starts with a blank, which would otherwise be a key the grid keeps), Enter
// closes it.
void Type_Into_Cell(QTableView *view, const QModelIndex &index, const QString &text);
// Opens the cell's drop-down list with F2 and picks the entry item with the arrow keys.
void Pick_In_Cell(QTableView *view, const QModelIndex &index, const QString &item);

// Puts the keyboard on the cell, with its editor open (F2) when open_editor.
void Focus_Cell(QTableView *view, const QModelIndex &index, bool open_editor);

// Where the keyboard is: the open list of a drop-down, or the focused control.
QWidget *Key_Target();
// Types text key by key wherever the keyboard is (in a grid the first key opens the cell's editor).
void Type_Keys(const QString &text);
// The focused control's object name, "(none)" when no control has the focus.
QString Focus_Name();
// Focus_Name, but for the grid the cell it is on ("sga 1,3" with the grid's object name, row
// from 1 and column; "sga 1,3 editing" while the cell's editor has the focus).
QString Focus_Place(QTableView *grid);
