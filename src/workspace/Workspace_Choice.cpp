#include "workspace/Workspace_Choice.h"

#include <QDir>
#include <QFileInfo>

Workspace_Places Choose_Workspace(const Workspace_Facts &facts)
{
    Workspace_Places places;
    const QString program = QDir::cleanPath(facts.Dir_Program);
    const QString prefix = QDir::cleanPath(program + QStringLiteral("/.."));
    const bool installed =
        (facts.Shipped_Data_Beside || !facts.Program_Dir_Writable) && !facts.Dir_User_Data.isEmpty();
    places.Installed = installed;
    places.Dir_Workspace = installed ? QDir::cleanPath(facts.Dir_User_Data) : program;
    if (facts.Shipped_Data_Beside) {
        places.Dir_Shipped_Language = prefix + u'/' + QString::fromUtf16(Installed_Data_Dir) +
                                      QStringLiteral("/LANGUAGE");
        places.Dir_Updater = prefix + u'/' + QString::fromUtf16(Installed_Updater_Dir);
        places.Dir_Modules = prefix + u'/' + QString::fromUtf16(Installed_Module_Dir);
    } else {
        // A read-only copy of the whole folder: its languages, updater and modules are where
        // they were.
        if (installed) places.Dir_Shipped_Language = program + QStringLiteral("/LANGUAGE");
        places.Dir_Updater = program;
        places.Dir_Modules = program;
    }
    return places;
}

Workspace_Places Portable_Workspace(const QString &dir_program)
{
    Workspace_Facts facts;
    facts.Dir_Program = dir_program;
    return Choose_Workspace(facts);
}

Workspace_Facts Read_Workspace_Facts(const QString &dir_program, const QString &dir_user_data)
{
    Workspace_Facts facts;
    facts.Dir_Program = dir_program;
    const QFileInfo program(dir_program);
    facts.Program_Dir_Writable = program.isDir() && program.isWritable();
    // Only a program in a folder named bin is taken for an installed one: a build folder that
    // happens to have a share folder above it stays the workspace.
    facts.Shipped_Data_Beside =
        program.fileName() == QLatin1String("bin") &&
        QFileInfo(dir_program + QStringLiteral("/../") + QString::fromUtf16(Installed_Data_Dir)).isDir();
    facts.Dir_User_Data = dir_user_data;
    return facts;
}

QStringList Language_Folders(const QString &dir_language, const QString &dir_shipped_language)
{
    QStringList dirs{dir_language};
    if (!dir_shipped_language.isEmpty() &&
        QDir::cleanPath(dir_shipped_language) != QDir::cleanPath(dir_language))
        dirs.append(dir_shipped_language);
    return dirs;
}
