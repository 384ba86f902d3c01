#include "Job_Check.h"

#include "config/Image_Builder.h"
#include "platform/Real_Icmp_Echo.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {


[[noreturn]] void Reject(const QString &reason) { throw Job_Rejected(reason); }

QList<Xml_Node> Elements_Only(const Xml_Node &parent, const QString &where)
{
    QList<Xml_Node> elements;
    for (const Xml_Node &child : parent.Children()) {
        if (!child.Is_Element())
            Reject(QStringLiteral("%1 holds something other than elements").arg(where));
        elements.append(child);
    }
    return elements;
}

// Checks that parent has exactly these child elements in this order and returns them.
QList<Xml_Node> Expect_Children(const Xml_Node &parent, const QStringList &names,
                                const QString &where)
{
    const QList<Xml_Node> children = Elements_Only(parent, where);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i >= children.size())
            Reject(QStringLiteral("%1: element %2 is missing").arg(where, names[i]));
        if (children[i].Name() != names[i])
            Reject(QStringLiteral("%1: expected element %2 at position %3, found %4")
                       .arg(where, names[i])
                       .arg(i + 1)
                       .arg(children[i].Name()));
    }
    if (children.size() > names.size())
        Reject(QStringLiteral("%1: unexpected element %2 after %3")
                   .arg(where, children[names.size()].Name(), names.last()));
    return children;
}

// The text of an element that may hold nothing but its text.
QString Leaf_Text(const Xml_Node &element, const QString &where)
{
    const QList<Xml_Node> children = element.Children();
    if (children.size() > 1 || (children.size() == 1 && children[0].Is_Element()))
        Reject(QStringLiteral("%1: %2 must hold only a text").arg(where, element.Name()));
    return element.Text();
}

void Expect_Text(const Xml_Node &element, const QString &expected, const QString &where)
{
    const QString text = Leaf_Text(element, where);
    if (text != expected)
        Reject(QStringLiteral("%1: %2 is \"%3\", expected \"%4\"")
                   .arg(where, element.Name(), text, expected));
}

bool Expect_Flag(const Xml_Node &element, const QString &where)
{
    const QString text = Leaf_Text(element, where);
    if (text != QLatin1String("0") && text != QLatin1String("1"))
        Reject(QStringLiteral("%1: %2 is \"%3\", expected \"0\" or \"1\"")
                   .arg(where, element.Name(), text));
    return text == QLatin1String("1");
}

const QStringList Root_Children = {
    QStringLiteral("Version"),          QStringLiteral("Title"),
    QStringLiteral("IP_Address_Dev"),   QStringLiteral("Application_Port"),
    QStringLiteral("Boot_Port"),        QStringLiteral("Boot_Port_Sec"),
    QStringLiteral("Address_Protection"), QStringLiteral("Protections"),
    QStringLiteral("Operations"),
};

const QStringList Operation_Children = {
    QStringLiteral("Ope_Protection_Enabled"), QStringLiteral("Ope_GoToBoot_Before"),
    QStringLiteral("Ope_GoToApp_Before"),     QStringLiteral("Ope_IP_Address"),
    QStringLiteral("Ope_Port"),               QStringLiteral("Ope_Port_Sec"),
    QStringLiteral("Ope_Erase_Memory"),       QStringLiteral("Ope_FileName"),
    QStringLiteral("Ope_Start_Address"),      QStringLiteral("Ope_Memory_Type"),
    QStringLiteral("Ope_Bank_Type"),          QStringLiteral("Ope_Read_Back"),
    QStringLiteral("Ope_Write_CSS"),          QStringLiteral("Ope_Address_CSS"),
    QStringLiteral("Ope_Command_CSS"),        QStringLiteral("Ope_GoToApp_After"),
};

// What each kind of operation must hold, told apart by its start address.
struct Kind_Values {
    Job_Operation::Kind kind;
    const char *start_address;
    const char *bank_type;
    const char *write_css;
    const char *address_css;
    const char *file_name;  // the image's own name
};
const Kind_Values Kinds[] = {
    {Job_Operation::Kind::Firmware, "0x8000", "1", "1", "0x78100", "QFW3310.sim"},
    {Job_Operation::Kind::Bank1, "0x68000", "2", "0", "0x50100", "bank1.bin"},
    {Job_Operation::Kind::Bank2, "0x58000", "2", "0", "0x50100", "bank2.bin"},
};

Job_Operation Read_Operation(const Xml_Node &node, int number)
{
    const QString where = QStringLiteral("Operation %1").arg(number);
    const QList<Xml_Node> c = Expect_Children(node, Operation_Children, where);

    const QString start = Leaf_Text(c[8], where);
    const Kind_Values *kind = nullptr;
    for (const Kind_Values &k : Kinds)
        if (start == QLatin1String(k.start_address)) kind = &k;
    if (!kind)
        Reject(QStringLiteral("%1: Ope_Start_Address \"%2\" is no image's place").arg(where, start));

    Expect_Text(c[0], QString(), where);
    Expect_Text(c[1], QStringLiteral("0"), where);
    Expect_Text(c[2], QStringLiteral("0"), where);
    Expect_Text(c[3], QString(), where);
    Expect_Text(c[4], QStringLiteral("2008"), where);
    Expect_Text(c[5], QStringLiteral("2007"), where);
    Expect_Text(c[6], QStringLiteral("0"), where);
    Expect_Text(c[9], QStringLiteral("0"), where);
    Expect_Text(c[10], QLatin1String(kind->bank_type), where);
    Expect_Text(c[12], QLatin1String(kind->write_css), where);
    Expect_Text(c[13], QLatin1String(kind->address_css), where);
    Expect_Text(c[14], QStringLiteral("0x0B"), where);

    Job_Operation op;
    op.kind = kind->kind;
    op.File_Name = Leaf_Text(c[7], where);
    op.Start_Address = start;
    op.Bank_Type = QLatin1String(kind->bank_type);
    op.Read_Back = Expect_Flag(c[11], where);
    op.Go_To_App_After = Expect_Flag(c[15], where);

    const QFileInfo file(op.File_Name);
    if (op.File_Name.isEmpty() || !file.isAbsolute())
        Reject(QStringLiteral("%1: Ope_FileName \"%2\" is not an absolute path")
                   .arg(where, op.File_Name));
    if (file.fileName() != QLatin1String(kind->file_name))
        Reject(QStringLiteral("%1: an image at %2 must be %3, not \"%4\"")
                   .arg(where, start, QLatin1String(kind->file_name), op.File_Name));
    return op;
}

}  // namespace

Update_Job Read_Update_Job(const QString &path)
{
    // Anything else standing at the name (a FIFO, a device) is refused by the reader with its kind.
    if (!QFileInfo::exists(path)) Reject(QStringLiteral("the job file %1 is missing").arg(path));
    Xml_Document doc;
    try {
        doc = Xml_Document::Load(path);
    } catch (const Xml_Error &e) {
        Reject(e.Text());
    }
    // The updater takes the job exactly as the configurator writes it: nothing, not even a
    // declaration, in front of the root.
    const Xml_Node root = doc.First_Top_Level_Node();
    if (!root.Is_Element() || root.Name() != QLatin1String("Ethernet_Update"))
        Reject(QStringLiteral("the job must begin with its root element Ethernet_Update"));

    const QString where = QStringLiteral("Ethernet_Update");
    const QList<Xml_Node> c = Expect_Children(root, Root_Children, where);
    Expect_Text(c[0], QStringLiteral("1000"), where);
    Expect_Text(c[1], QStringLiteral("Norvale - QCX3310 Ethernet Update"), where);
    Update_Job job;
    job.Device = Leaf_Text(c[2], where);
    if (!Dotted_IPv4(job.Device))
        Reject(QStringLiteral("IP_Address_Dev \"%1\" is not an IPv4 address").arg(job.Device));
    Expect_Text(c[3], QStringLiteral("10000"), where);
    Expect_Text(c[4], QStringLiteral("2008"), where);
    Expect_Text(c[5], QStringLiteral("2007"), where);
    Expect_Text(c[6], QStringLiteral("0x78000"), where);
    const QList<Xml_Node> protections =
        Expect_Children(c[7], {QStringLiteral("Protection")}, QStringLiteral("Protections"));
    Expect_Text(protections[0], QStringLiteral("0xA2"), QStringLiteral("Protections"));

    const QList<Xml_Node> operations = Elements_Only(c[8], QStringLiteral("Operations"));
    if (operations.size() > 3)
        Reject(QStringLiteral("Operations holds %1 operations, at most 3 are possible")
                   .arg(operations.size()));
    for (qsizetype i = 0; i < operations.size(); ++i) {
        if (operations[i].Name() != QLatin1String("Operation"))
            Reject(QStringLiteral("Operations holds an element %1").arg(operations[i].Name()));
        job.Operations.append(Read_Operation(operations[i], int(i + 1)));
    }

    // The orders that make sense: firmware first, then both configuration banks together.
    using K = Job_Operation::Kind;
    QList<K> kinds;
    for (const Job_Operation &op : job.Operations) kinds.append(op.kind);
    const QList<QList<K>> allowed = {{}, {K::Firmware}, {K::Bank1, K::Bank2},
                                     {K::Firmware, K::Bank1, K::Bank2}};
    if (!allowed.contains(kinds))
        Reject(QStringLiteral("the operations are not firmware, then bank 1 and bank 2"));
    for (qsizetype i = 0; i < job.Operations.size(); ++i) {
        const bool last = i == job.Operations.size() - 1;
        if (job.Operations[i].Go_To_App_After != last)
            Reject(QStringLiteral("Operation %1: Ope_GoToApp_After must be %2")
                       .arg(i + 1)
                       .arg(last ? 1 : 0));
    }
    if (kinds.contains(K::Bank1)) {
        const Job_Operation &bank1 = job.Operations[kinds.indexOf(K::Bank1)];
        const Job_Operation &bank2 = job.Operations[kinds.indexOf(K::Bank2)];
        if (bank1.Read_Back != bank2.Read_Back)
            Reject(QStringLiteral("bank 1 and bank 2 differ in Ope_Read_Back"));
        if (QFileInfo(bank1.File_Name).absolutePath() != QFileInfo(bank2.File_Name).absolutePath())
            Reject(QStringLiteral("bank1.bin and bank2.bin are not in one folder"));
    }
    return job;
}

void Check_Images(const Update_Job &job)
{
    for (const Job_Operation &op : job.Operations) {
        // The firmware is only checked for being there; the banks are read, but never more
        // than a little past their largest size (beyond it they are rejected anyway).
        QByteArray bytes;
        qint64 size = 0;
        try {
            if (op.kind == Job_Operation::Kind::Firmware) {
                size = Regular_File_Size(op.File_Name);
            } else {
                const qint64 limit = op.kind == Job_Operation::Kind::Bank1 ? Bank1_Max_Len : Bank2_Max_Len;
                bytes = Read_Regular_File(op.File_Name, limit + Bank_Read_Margin);
                size = bytes.size();
            }
        } catch (const File_Access_Error &e) {
            if (!QFileInfo::exists(op.File_Name)) Reject(QStringLiteral("the image %1 is missing").arg(op.File_Name));
            Reject(QStringLiteral("the image %1 cannot be read: %2").arg(op.File_Name, e.Reason));
        }
        switch (op.kind) {
        case Job_Operation::Kind::Firmware:
            if (size == 0) Reject(QStringLiteral("the firmware image %1 is empty").arg(op.File_Name));
            break;
        case Job_Operation::Kind::Bank1: {
            if (size < Bank1_Header_Size || (size - Bank1_Header_Size) % Frame_Entry_Size != 0 ||
                size > Bank1_Max_Len)
                Reject(QStringLiteral("%1 has %2 bytes: not a header with whole frame records")
                           .arg(op.File_Name)
                           .arg(size));
            const auto *header = reinterpret_cast<const uint8_t *>(bytes.constData());
            const uint32_t sum = Bank1_Checksum(header);
            const uint32_t stored = Get_U32(header + Bank1_Checksum_Offset);
            if (sum != stored)
                Reject(QStringLiteral("%1: header checksum is 0x%2, its bytes sum to 0x%3")
                           .arg(op.File_Name)
                           .arg(stored, 8, 16, QLatin1Char('0'))
                           .arg(sum, 8, 16, QLatin1Char('0')));
            break;
        }
        case Job_Operation::Kind::Bank2:
            if (size % Map_Entry_Size != 0 || size > Bank2_Max_Len)
                Reject(QStringLiteral("%1 has %2 bytes: not whole mapping records")
                           .arg(op.File_Name)
                           .arg(size));
            break;
        }
    }
}

QString Describe(const Job_Operation &operation)
{
    auto yes_no = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    return QStringLiteral("file %1, start address %2, bank %3, read-back %4, go-to-application %5")
        .arg(operation.File_Name, operation.Start_Address, operation.Bank_Type,
             yes_no(operation.Read_Back), yes_no(operation.Go_To_App_After));
}
