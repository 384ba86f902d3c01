// "Update Device" from the main window: the images land in the configuration's bin folder, and
// a configuration that cannot be built or images that cannot be saved stop the road with an
// error box and nothing changed on disk.
#include "Test_Support.h"
#include "app/TFVariroduvieFirmWare.h"
#include "config/Image_Builder.h"
#include "test_config.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QtTest>

class Tst_Update_Device_Images : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writes_both_images();
    void unreadable_configuration_changes_nothing();
    void unwritable_image_is_reported();

private:
    // Clicks "Update Device". Whatever dialog opens is closed at once, after recording its name
    // and the bank files as they stood at that moment.
    void Click_Update();
    QString opened_;
    QByteArray bank1_when_opened_;
    QByteArray Read(const QString &path);
    void Write(const QString &path, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> workspace_;
    std::unique_ptr<App_State> state_;
    Environment env_;
    std::unique_ptr<TFVariroduvieFirmWare> window_;
    QString project_;
};

void Tst_Update_Device_Images::init()
{
    workspace_ = std::make_unique<QTemporaryDir>();
    state_ = std::make_unique<App_State>();
    window_ = std::make_unique<TFVariroduvieFirmWare>(*state_, env_, workspace_->path());
    window_->Create_Dialogs();
    project_ = state_->Dir_Projects + "/Line 4";
    QDir().mkpath(project_ + "/bin");
    const QDir fixture(QStringLiteral(QCX_TEST_DATA_DIR "/images/example"));
    for (const QString &file : fixture.entryList(QDir::Files)) QFile::copy(fixture.filePath(file), project_ + '/' + file);
    state_->Project_Name = "Line 4";
    state_->Dir_Project = project_;
    window_->Set_Files();
}

void Tst_Update_Device_Images::cleanup()
{
    window_.reset();
    state_.reset();
    workspace_.reset();
}

void Tst_Update_Device_Images::Click_Update()
{
    auto *button = window_->findChild<QPushButton *>("Btn_CreateBin");
    QVERIFY(button);
    opened_.clear();
    bank1_when_opened_.clear();
    // Runs inside the dialog's loop when one opens, or harmlessly once the click has returned.
    QPointer<Tst_Update_Device_Images> self(this);
    QTimer::singleShot(0, [self] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!self || !dialog) return;
        self->opened_ = dialog->objectName();
        self->bank1_when_opened_ = self->Read(self->project_ + "/bin/bank1.bin");
        dialog->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
}

QByteArray Tst_Update_Device_Images::Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Tst_Update_Device_Images::Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void Tst_Update_Device_Images::writes_both_images()
{
    Message_Recorder recorder;
    QDir(project_ + "/bin").removeRecursively();  // a folder that lost its bin gets it back
    Click_Update();
    QCOMPARE(recorder.Errors, QStringList());
    const QByteArray bank1 = Read(project_ + "/bin/bank1.bin");
    QCOMPARE(bank1.size(), 2112);
    QCOMPARE(bank1.mid(0x7FC, 4), QByteArray::fromHex("FC100000"));
    QCOMPARE(Read(project_ + "/bin/bank2.bin"),
             QByteArray::fromHex("0A000000010002000000000000000000"
                                 "14000000020001000300000000000000"));
    // The update dialog comes after the images are on disk.
    QCOMPARE(opened_, QString("TFBootTCP"));
    QCOMPARE(bank1_when_opened_, bank1);
}

void Tst_Update_Device_Images::unreadable_configuration_changes_nothing()
{
    Message_Recorder recorder;
    Write(project_ + "/bin/bank1.bin", "earlier bank1");
    Write(project_ + "/bin/bank2.bin", "earlier bank2");
    Write(state_->Files.Define_CAN_Transmit, "<DefineTransJ1939>\n<row Num_Frame=\"0\" Mod_Index=\"20\"\n");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains(state_->Files.Define_CAN_Transmit), qPrintable(recorder.Errors[0]));
    QVERIFY2(recorder.Errors[0].contains("line "), qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
    QCOMPARE(Read(project_ + "/bin/bank2.bin"), QByteArray("earlier bank2"));
    QCOMPARE(opened_, QString());

    // A row without an attribute the build reads: the same road.
    recorder.Errors.clear();
    Write(state_->Files.Define_CAN_Transmit, "<DefineTransJ1939><row Num_Frame=\"0\" Mod_Index=\"20\"/></DefineTransJ1939>");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains("row 1") && recorder.Errors[0].contains("Byte_HiPart"),
             qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
}

void Tst_Update_Device_Images::unwritable_image_is_reported()
{
    Message_Recorder recorder;
    Write(project_ + "/bin/bank1.bin", "earlier bank1");
    QDir().mkpath(project_ + "/bin/bank2.bin");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains(project_ + "/bin/bank2.bin"), qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
    QCOMPARE(opened_, QString());
}

QTEST_MAIN(Tst_Update_Device_Images)
#include "tst_update_device_images.moc"
