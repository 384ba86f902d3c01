#include "widgets/Message_Box.h"

#include <QApplication>
#include <QMessageBox>

namespace {
Message_Box::Handler *Installed = nullptr;

QString Box_Title() { return QApplication::applicationName(); }
}  // namespace

void Message_Box::Install(Handler *handler) { Installed = handler; }

void Message_Box::Error(QWidget *parent, const QString &text)
{
    if (Installed) {
        Installed->Error(parent, text);
        return;
    }
    QMessageBox::critical(parent, Box_Title(), text, QMessageBox::Ok);
}

void Message_Box::Warning(QWidget *parent, const QString &text)
{
    if (Installed) {
        Installed->Warning(parent, text);
        return;
    }
    QMessageBox::warning(parent, Box_Title(), text, QMessageBox::Ok);
}

bool Message_Box::Ask(QWidget *parent, const QString &text)
{
    if (Installed) return Installed->Ask(parent, text);
    return QMessageBox::question(parent, Box_Title(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void Message_Box::Information(QWidget *parent, const QString &text)
{
    if (Installed) {
        Installed->Information(parent, text);
        return;
    }
    QMessageBox::information(parent, Box_Title(), text, QMessageBox::Ok);
}
