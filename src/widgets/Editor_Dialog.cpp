#include "widgets/Editor_Dialog.h"

#include "widgets/Message_Box.h"
#include "workspace/App_State.h"

#include <QShowEvent>

namespace {
// The question every editor asks before it throws away changes.
constexpr int Discard_Changes_Question = STR_Discard_Changes_Question;
}  // namespace

Editor_Dialog::Editor_Dialog(const App_State &state, QWidget *parent)
    : QDialog(parent), editor_state_(state)
{
}

void Editor_Dialog::Set_Title_Base(const QString &title)
{
    title_base_ = title;
    Show_Title();
}

void Editor_Dialog::Show_Title()
{
    setWindowTitle(Editor_Title(title_base_, editor_state_.Project_Name));
}

void Editor_Dialog::showEvent(QShowEvent *event)
{
    // Another configuration may have been opened since the last showing.
    if (!event->spontaneous()) Show_Title();
    QDialog::showEvent(event);
}

void Editor_Dialog::reject()
{
    // QDialog's close box handling calls reject() too, so the close box asks as well; a No keeps
    // the dialog open and the close is ignored.
    if (Has_Changes() && !Message_Box::Ask(this, editor_state_.STR(Discard_Changes_Question))) return;
    QDialog::reject();
}

QString Editor_Title(const QString &title, const QString &project_name)
{
    if (project_name.isEmpty()) return title;
    return title + QStringLiteral(" \u2013 ") + project_name;
}
