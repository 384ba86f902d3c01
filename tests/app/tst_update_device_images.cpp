// "Update Device" from the main window: the images land in the configuration's bin folder, and
// a configuration that cannot be built or images that cannot be saved stop the road with an
// error box and nothing changed on disk.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "app/Main_Window.h"
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
    // Reads a file, telling a missing one apart from an empty one.
    static QByteArray Read(const QString &path);

    std::unique_ptr<Test_Workspace> ws_;
    const App_State *state_ = nullptr;
    QString project_;
};

void Tst_Update_Device_Images::init()
{
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Start();
    state_ = &ws_->state;
    project_ = ws_->Open_Configuration("Line 4", "images/example");
}

void Tst_Update_Device_Images::cleanup()
{
    state_ = nullptr;
    ws_.reset();
}

void Tst_Update_Device_Images::Click_Update()
{
    auto *button = ws_->window->findChild<QPushButton *>("Btn_CreateBin");
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
    return QFileInfo::exists(path) ? Read_All(path) : QByteArray("<missing>");
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
    Write_All(project_ + "/bin/bank1.bin", "earlier bank1");
    Write_All(project_ + "/bin/bank2.bin", "earlier bank2");
    Write_All(state_->Files.Define_CAN_Transmit, "<DefineTransJ1939>\n<row Num_Frame=\"0\" Mod_Index=\"20\"\n");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains(state_->Files.Define_CAN_Transmit), qPrintable(recorder.Errors[0]));
    QVERIFY2(recorder.Errors[0].contains("line "), qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
    QCOMPARE(Read(project_ + "/bin/bank2.bin"), QByteArray("earlier bank2"));
    QCOMPARE(opened_, QString());

    // A row without an attribute the build reads: the same road.
    recorder.Errors.clear();
    Write_All(state_->Files.Define_CAN_Transmit, "<DefineTransJ1939><row Num_Frame=\"0\" Mod_Index=\"20\"/></DefineTransJ1939>");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains("row 1") && recorder.Errors[0].contains("Byte_HiPart"),
             qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
}

void Tst_Update_Device_Images::unwritable_image_is_reported()
{
    Message_Recorder recorder;
    Write_All(project_ + "/bin/bank1.bin", "earlier bank1");
    QDir().mkpath(project_ + "/bin/bank2.bin");
    Click_Update();
    QCOMPARE(recorder.Errors.size(), 1);
    QVERIFY2(recorder.Errors[0].contains(project_ + "/bin/bank2.bin"), qPrintable(recorder.Errors[0]));
    QCOMPARE(Read(project_ + "/bin/bank1.bin"), QByteArray("earlier bank1"));
    QCOMPARE(opened_, QString());
}

QTEST_MAIN(Tst_Update_Device_Images)
#include "tst_update_device_images.moc"
