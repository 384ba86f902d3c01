#include "dialogs/Bus_Recorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

Bus_Recorder::Bus_Recorder(App_State &state, QWidget *parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("P_Record"));
    L_Bus = new QLabel(this);
    L_Bus->setObjectName(QStringLiteral("L_Bus"));
    E_Bus = new QLineEdit(this);
    E_Bus->setObjectName(QStringLiteral("E_Bus"));
    E_Bus->setText(QStringLiteral("socketcan:can0"));
    L_Bus->setBuddy(E_Bus);
    SE_Seconds = new QSpinBox(this);
    SE_Seconds->setObjectName(QStringLiteral("SE_Seconds"));
    SE_Seconds->setRange(1, 3600);
    SE_Seconds->setValue(10);
    L_Seconds = new QLabel(this);
    L_Seconds->setObjectName(QStringLiteral("L_Seconds"));
    Btn_Record = new QPushButton(this);
    Btn_Record->setObjectName(QStringLiteral("Btn_Record"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(L_Bus);
    row->addWidget(E_Bus, 1);
    row->addWidget(SE_Seconds);
    row->addWidget(L_Seconds);
    row->addWidget(Btn_Record);

    Cli_Path = QCoreApplication::applicationDirPath() + QStringLiteral("/qcx3310-cli");
    Ask_Record_Path = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(this, state_.STR(STR_Bus_Record_Save_As), suggested,
                                            state_.STR(STR_Bus_Log_Filter) + QStringLiteral(";;*"));
    };
    connect(Btn_Record, &QPushButton::clicked, this, &Bus_Recorder::Btn_RecordClick);
    connect(E_Bus, &QLineEdit::returnPressed, this, &Bus_Recorder::Btn_RecordClick);
    Set_Lang();
}

Bus_Recorder::~Bus_Recorder()
{
    // A recording the window no longer waits for ends with it, and leaves no log.
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(2000);
    }
}

void Bus_Recorder::Set_Lang()
{
    const App_State &s = state_;
    L_Bus->setText(s.STR(STR_Bus_Record_From));
    E_Bus->setAccessibleName(s.STR(STR_Bus_Record_From));
    E_Bus->setToolTip(s.STR(STR_Bus_Record_Interface_Hint));
    E_Bus->setPlaceholderText(QStringLiteral("socketcan:can0"));
    L_Seconds->setText(s.STR(STR_Bus_Record_Seconds));
    SE_Seconds->setAccessibleName(s.STR(STR_Bus_Record_From) + QLatin1Char(' ') + s.STR(STR_Bus_Record_Seconds));
    Btn_Record->setText(s.STR(process_ ? STR_Bus_Record_Stop : STR_Bus_Record));
}

void Bus_Recorder::Btn_RecordClick()
{
    if (process_) {
        // Stop: the recording ends early as with Ctrl+C, and what was heard is written.
#ifdef Q_OS_UNIX
        ::kill(pid_t(process_->processId()), SIGINT);
#else
        process_->terminate();
#endif
        return;
    }
    const QString bus = E_Bus->text().trimmed();
    if (bus.isEmpty()) {
        E_Bus->setFocus();
        return;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString folder = Log_Folder.isEmpty() ? QDir::homePath() : Log_Folder;
    const QString path = Ask_Record_Path ? Ask_Record_Path(QDir(folder).filePath(QStringLiteral("bus-%1.log").arg(stamp)))
                                         : QString();
    if (path.isEmpty()) return;

    path_ = path;
    errors_.clear();
    process_ = new QProcess(this);
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    connect(process_, &QProcess::readyReadStandardError, this, [this] {
        const bool was_listening = errors_.contains("listening on");
        errors_ += process_->readAllStandardError();
        if (!was_listening && errors_.contains("listening on")) emit Listening();
    });
    connect(process_, &QProcess::finished, this, &Bus_Recorder::Finished);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        const QString why = QDir::toNativeSeparators(Cli_Path) + QStringLiteral(": ") + process_->errorString();
        process_->deleteLater();
        process_ = nullptr;
        Set_Lang();
        emit Running_Changed(false, QString());
        emit Failed(why);
    });
    const int seconds = SE_Seconds->value();
    process_->start(Cli_Path, {QStringLiteral("can-record"), bus, QStringLiteral("--seconds"), QString::number(seconds),
                               QStringLiteral("-o"), path});
    if (!process_) return;  // it could not start, and said so
    Set_Lang();
    emit Running_Changed(true, state_.STR(STR_Bus_Recording).arg(bus).arg(seconds));
}

void Bus_Recorder::Finished(int exit_code, QProcess::ExitStatus status)
{
    errors_ += process_->readAllStandardError();
    process_->deleteLater();
    process_ = nullptr;
    Set_Lang();
    emit Running_Changed(false, QString());
    if (status == QProcess::NormalExit && exit_code == 0) {
        emit Recorded(path_);
        return;
    }
    // The program's last line says why (its usage lines follow a usage error).
    QStringList lines = QString::fromUtf8(errors_).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString &l) { return l.startsWith(QLatin1String("Try '")); });
    QString why = lines.isEmpty() ? state_.STR(STR_Bus_Record_Ended).arg(exit_code) : lines.last();
    why.remove(QRegularExpression(QStringLiteral("^qcx3310-cli can-record: ")));
    emit Failed(why);
}
