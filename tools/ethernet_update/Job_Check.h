#pragma once
// Reading and checking an update job the way the device updater takes it: strictly, so that a
// job the real updater would misread never passes here.
#include <QList>
#include <QString>
#include <stdexcept>

class Job_Rejected : public std::runtime_error {
public:
    explicit Job_Rejected(const QString &reason) : std::runtime_error(reason.toStdString()) {}
    QString Reason() const { return QString::fromStdString(what()); }
};

struct Job_Operation {
    enum class Kind { Firmware, Bank1, Bank2 };
    Kind kind = Kind::Firmware;
    QString File_Name;
    QString Start_Address;
    QString Bank_Type;
    bool Read_Back = false;
    bool Go_To_App_After = false;
};

struct Update_Job {
    QString Device;  // the converter's IPv4 address
    QList<Job_Operation> Operations;
};

// Loads the job file and checks its tree: the root, every element in its order with its fixed
// value, and zero to three operations in one of the orders the configurator writes. Throws
// Job_Rejected with the reason.
Update_Job Read_Update_Job(const QString &path);

// Checks that every image of the job is there and sound: the firmware image is not empty,
// bank1 has its header with a correct checksum and whole frame records, bank2 whole mapping
// records. Throws Job_Rejected with the reason.
void Check_Images(const Update_Job &job);

// One line per operation, as the report shows it.
QString Describe(const Job_Operation &operation);
