#include "update/Update_Job.h"

#include "config/Image_Builder.h"

#include <QDir>

namespace {

// The updater's transfer settings; the device's boot loader expects exactly these.
const QString Job_Version = QStringLiteral("1000");
const QString Job_Title = QStringLiteral("Norvale - QCX3310 Ethernet Update");
const QString Application_Port = QStringLiteral("10000");
const QString Boot_Port = QStringLiteral("2008");
const QString Boot_Port_Sec = QStringLiteral("2007");
const QString Address_Protection = QStringLiteral("0x78000");
const QString Protection = QStringLiteral("0xA2");

// One write operation: where the image goes in the device and how.
struct Operation_Kind {
    QString File_Name;
    QString Start_Address;
    const char *Bank_Type;
    const char *Write_CSS;
    const char *Address_CSS;
};

QString Flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

void Add_Operation(Xml_Node &operations, const Operation_Kind &kind, bool read_back,
                   bool go_to_app_after)
{
    Xml_Node op = operations.Append_Child(QStringLiteral("Operation"));
    auto text = [&op](const char *name, const QString &value) {
        op.Append_Text_Child(QLatin1String(name), value);
    };
    op.Append_Child(QStringLiteral("Ope_Protection_Enabled"));
    text("Ope_GoToBoot_Before", QStringLiteral("0"));
    text("Ope_GoToApp_Before", QStringLiteral("0"));
    op.Append_Child(QStringLiteral("Ope_IP_Address"));
    text("Ope_Port", Boot_Port);
    text("Ope_Port_Sec", Boot_Port_Sec);
    text("Ope_Erase_Memory", QStringLiteral("0"));
    text("Ope_FileName", kind.File_Name);
    text("Ope_Start_Address", kind.Start_Address);
    text("Ope_Memory_Type", QStringLiteral("0"));
    text("Ope_Bank_Type", QLatin1String(kind.Bank_Type));
    text("Ope_Read_Back", Flag(read_back));
    text("Ope_Write_CSS", QLatin1String(kind.Write_CSS));
    text("Ope_Address_CSS", QLatin1String(kind.Address_CSS));
    text("Ope_Command_CSS", QStringLiteral("0x0B"));
    text("Ope_GoToApp_After", Flag(go_to_app_after));
}

QString Native(const QString &path) { return QDir::toNativeSeparators(path); }

// The images hold absolute device addresses, so they must be loaded where the builder put them.
QString Load_Address(uint32_t address) { return QStringLiteral("0x") + QString::number(address, 16).toUpper(); }

}  // namespace

QString Firmware_Image_Path(const QString &dir_master)
{
    return Native(dir_master + QStringLiteral("/QFW3310.sim"));
}

QString Bank1_Image_Path(const QString &dir_project)
{
    return Native(Project_Paths_In(dir_project).Bank1);
}

QString Bank2_Image_Path(const QString &dir_project)
{
    return Native(Project_Paths_In(dir_project).Bank2);
}

QString Update_Job_Path(const QString &dir_exe)
{
    return Native(dir_exe + QStringLiteral("/Ethernet_Update.xml"));
}

QString Updater_Path(const QString &dir_exe)
{
#ifdef Q_OS_WIN
    return Native(dir_exe + QStringLiteral("/Ethernet_Update.exe"));
#else
    return Native(dir_exe + QStringLiteral("/Ethernet_Update"));
#endif
}

Xml_Document Build_Update_Job(const QString &ip_text, const Update_Options &options,
                              const Update_Folders &folders)
{
    Xml_Document doc;
    Xml_Node root = doc.Append_Root(QStringLiteral("Ethernet_Update"));
    root.Append_Text_Child(QStringLiteral("Version"), Job_Version);
    root.Append_Text_Child(QStringLiteral("Title"), Job_Title);
    root.Append_Text_Child(QStringLiteral("IP_Address_Dev"), ip_text);
    root.Append_Text_Child(QStringLiteral("Application_Port"), Application_Port);
    root.Append_Text_Child(QStringLiteral("Boot_Port"), Boot_Port);
    root.Append_Text_Child(QStringLiteral("Boot_Port_Sec"), Boot_Port_Sec);
    root.Append_Text_Child(QStringLiteral("Address_Protection"), Address_Protection);
    root.Append_Child(QStringLiteral("Protections"))
        .Append_Text_Child(QStringLiteral("Protection"), Protection);
    Xml_Node operations = root.Append_Child(QStringLiteral("Operations"));

    // The device stays in its boot loader between operations and returns to its application
    // after the last one.
    if (options.Firmware) {
        Add_Operation(operations,
                      {Firmware_Image_Path(folders.Dir_Master), QStringLiteral("0x8000"), "1", "1", "0x78100"},
                      options.Read_Firm, !options.Conf);
    }
    if (options.Conf) {
        Add_Operation(operations,
                      {Bank1_Image_Path(folders.Dir_Project), Load_Address(Bank1_Load_Addr), "2", "0", "0x50100"},
                      options.Read_Conf, false);
        Add_Operation(operations,
                      {Bank2_Image_Path(folders.Dir_Project), Load_Address(Bank2_Load_Addr), "2", "0", "0x50100"},
                      options.Read_Conf, true);
    }
    return doc;
}

void Write_Update_Job(const QString &path, const QString &ip_text, const Update_Options &options,
                      const Update_Folders &folders)
{
    Build_Update_Job(ip_text, options, folders).Save(path);
}
