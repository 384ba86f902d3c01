#pragma once
// What the frame list editors and the mapping editors share for their sheets and CAN database
// imports: the questions they ask (each a seam a test can answer instead of a window), and the
// reading and writing of the files with the error boxes that go with it. Both editors inherit it
// beside their dialog.
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_File.h"
#include "exchange/Import_Summary.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct App_State;
class QWidget;
class Dbc_Chooser;

class Editor_Imports {
public:
    // Where a sheet is written (save true) or read from; empty when the user cancels. A file
    // dialog unless a test puts its own answer here.
    std::function<QString(bool save)> Ask_Path;
    // Whether to take the good lines of a sheet with faults: the import report unless a test
    // answers.
    std::function<bool(const QList<Csv_Fault> &faults)> Ask_Take_Good_Lines;
    // The CAN database to import from; empty when the user cancels. A file dialog unless a
    // test puts its own answer here.
    std::function<QString()> Ask_Dbc_Path;
    // Runs the chooser of the database's messages; true when the user chose to import. The
    // dialog itself unless a test ticks the messages.
    std::function<bool(Dbc_Chooser &chooser)> Run_Chooser;
    // Shows what a completed import took and left out: the import report unless a test looks.
    std::function<void(const Import_Summary &summary)> Show_Report;

protected:
    // owner is the editor: the parent of every window these open. dbc_title is the key of the
    // database file dialog's title (the button that opens it).
    Editor_Imports(App_State &state, QWidget *owner, int dbc_title);
    ~Editor_Imports() = default;

    // Asks where, then writes the sheet atomically; a failure is said in a box.
    void Write_Sheet(const QByteArray &bytes);

    struct Sheet {
        QString Path;
        QByteArray Bytes;
    };
    // Asks which sheet, then reads it; nothing when the user cancels or it cannot be read (said
    // in a box).
    std::optional<Sheet> Read_Sheet();
    // Refuses a sheet of another list or of the other direction: it has no good lines, and taking
    // none would empty the editor.
    void Refuse_Header(const QString &path);
    // Whether a sheet's good lines are taken: at once without faults, otherwise as the user says.
    bool Take_Lines(const QList<Csv_Fault> &faults);

    struct Database {
        QString Path;
        Dbc_Database Db;
    };
    // Asks which database, then reads it; nothing when the user cancels or it cannot be read
    // (said with its line and column).
    std::optional<Database> Read_Database();

    void Report(const Import_Summary &summary);

private:
    App_State &imports_state_;
    QWidget *owner_;
};
