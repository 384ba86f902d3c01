#include "dialogs/Editor_Imports.h"

#include "dialogs/Dbc_Chooser.h"
#include "dialogs/Import_Report_Window.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"
#include "widgets/Message_Box.h"
#include "workspace/App_State.h"

#include <QDir>
#include <QFileDialog>

Editor_Imports::Editor_Imports(App_State &state, QWidget *owner, int dbc_title)
    : imports_state_(state), owner_(owner)
{
    Ask_Path = [this](bool save) {
        const App_State &s = imports_state_;
        const QString filter = s.STR(STR_Csv_Filter);
        return save ? QFileDialog::getSaveFileName(owner_, s.STR(STR_Csv_Export), QString(), filter)
                    : QFileDialog::getOpenFileName(owner_, s.STR(STR_Csv_Import), QString(), filter);
    };
    Ask_Take_Good_Lines = [this](const QList<Csv_Fault> &faults) {
        return Import_Report_Window::Ask_Take_Good_Lines(imports_state_, faults, owner_);
    };
    Ask_Dbc_Path = [this, dbc_title]() {
        return QFileDialog::getOpenFileName(owner_, imports_state_.STR(dbc_title), QString(),
                                            imports_state_.STR(STR_Dbc_File_Filter));
    };
    Run_Chooser = [](Dbc_Chooser &chooser) { return chooser.exec() == QDialog::Accepted; };
    Show_Report = [this](const Import_Summary &summary) {
        Import_Report_Window::Show_Done(imports_state_, summary, owner_);
    };
}

void Editor_Imports::Write_Sheet(const QByteArray &bytes)
{
    const QString path = Ask_Path ? Ask_Path(true) : QString();
    if (path.isEmpty()) return;
    try {
        Replace_File(path, bytes);
    } catch (const File_Error &error) {
        Message_Box::Error(owner_, imports_state_.STR(STR_Csv_Not_Written).arg(error.Text()));
    }
}

std::optional<Editor_Imports::Sheet> Editor_Imports::Read_Sheet()
{
    const QString path = Ask_Path ? Ask_Path(false) : QString();
    if (path.isEmpty()) return std::nullopt;
    try {
        return Sheet{path, Read_Regular_File(path, Text_File_Limit)};
    } catch (const File_Access_Error &error) {
        Message_Box::Error(owner_, imports_state_.STR(STR_Csv_Not_Read).arg(QString::fromUtf8(error.what())));
        return std::nullopt;
    }
}

void Editor_Imports::Refuse_Header(const QString &path)
{
    Message_Box::Error(owner_, imports_state_.STR(STR_Csv_Wrong_Header).arg(QDir::toNativeSeparators(path)));
}

bool Editor_Imports::Take_Lines(const QList<Csv_Fault> &faults)
{
    return faults.isEmpty() || (Ask_Take_Good_Lines && Ask_Take_Good_Lines(faults));
}

std::optional<Editor_Imports::Database> Editor_Imports::Read_Database()
{
    const QString path = Ask_Dbc_Path ? Ask_Dbc_Path() : QString();
    if (path.isEmpty()) return std::nullopt;
    try {
        return Database{path, Read_Dbc_File(path)};
    } catch (const Dbc_Error &error) {
        Message_Box::Error(owner_, imports_state_.STR(STR_Dbc_Not_Read).arg(QDir::toNativeSeparators(error.Text())));
        return std::nullopt;
    }
}

void Editor_Imports::Report(const Import_Summary &summary)
{
    if (Show_Report) Show_Report(summary);
}
