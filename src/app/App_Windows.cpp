// The window registry: the dialogs' creation in the fixed order, showing them, and the
// language change that reaches every window. Each dialog class joins here, and only here.
#include "app/TFVariroduvieFirmWare.h"

#include "dialogs/TFAbout.h"
#include "dialogs/TFBootTCP.h"
#include "dialogs/TFCheck.h"
#include "dialogs/TFDefineCAN.h"
#include "dialogs/TFFrame_List.h"
#include "dialogs/TFMonitor.h"
#include "dialogs/TFNew_Project.h"
#include "dialogs/TFOpenConf.h"
#include "dialogs/TFParGen.h"
#include "dialogs/TFSoftOptions.h"
#include "widgets/Dialog_Panels.h"

#include <QDialog>

void TFVariroduvieFirmWare::Create_Dialogs()
{
    // Order: new configuration, open configuration, update, About, options, communication
    // settings, receive and transmit frame lists, receive and transmit mappings.
    windows_.New_Project = new TFNew_Project(state_, this);
    windows_.OpenConf = new TFOpenConf(state_, this);
    windows_.BootTCP = new TFBootTCP(state_, env_, this);
    windows_.About = new TFAbout(state_, env_, this);
    windows_.SoftOptions = new TFSoftOptions(state_, env_, this);
    connect(windows_.SoftOptions, &TFSoftOptions::Language_Changed, this,
            &TFVariroduvieFirmWare::Change_Language);
    windows_.ParGen = new TFParGen(state_, this);
    windows_.ReceiveCAN = new TFReceiveCAN(state_, this);
    windows_.TransmitCAN = new TFTransmitCAN(state_, this);
    windows_.DefineRecCAN = new TFDefineRecCAN(state_, this);
    windows_.DefineTransCAN = new TFDefineTransCAN(state_, this);
    windows_.Check = new TFCheck(state_, this);
    windows_.Monitor = new TFMonitor(state_, env_.clock, this);
    for (QDialog *dialog : findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly)) Keep_Centred(dialog);
}

int TFVariroduvieFirmWare::Show_Window(Window window)
{
    switch (window) {
    case Window::New_Project:
        return Show_Modal(windows_.New_Project);
    case Window::OpenConf:
        return Show_Modal(windows_.OpenConf);
    case Window::About:
        return Show_Modal(windows_.About);
    case Window::SoftOptions:
        return Show_Modal(windows_.SoftOptions);
    case Window::ReceiveCAN:
        return Show_Modal(windows_.ReceiveCAN);
    case Window::TransmitCAN:
        return Show_Modal(windows_.TransmitCAN);
    case Window::ParGen:
        return Show_Modal(windows_.ParGen);
    case Window::DefineRecCAN:
        return Show_Modal(windows_.DefineRecCAN);
    case Window::DefineTransCAN:
        return Show_Modal(windows_.DefineTransCAN);
    case Window::Check:
        return Show_Modal(windows_.Check);
    }
    return QDialog::Rejected;
}

void TFVariroduvieFirmWare::Change_Language()
{
    Apply_Qt_Translation();
    Set_Lang();
    // Then, in this order: TFNew_Project, TFOpenConf, TFSoftOptions, TFBootTCP, TFParGen,
    // TFReceiveCAN, TFTransmitCAN, TFDefineRecCAN, TFDefineTransCAN.
    if (windows_.New_Project) windows_.New_Project->Set_Lang();
    if (windows_.OpenConf) windows_.OpenConf->Set_Lang();
    if (windows_.SoftOptions) windows_.SoftOptions->Set_Lang();
    if (windows_.BootTCP) windows_.BootTCP->Set_Lang();
    if (windows_.ParGen) windows_.ParGen->Set_Lang();
    if (windows_.ReceiveCAN) windows_.ReceiveCAN->Set_Lang();
    if (windows_.TransmitCAN) windows_.TransmitCAN->Set_Lang();
    if (windows_.DefineRecCAN) windows_.DefineRecCAN->Set_Lang();
    if (windows_.DefineTransCAN) windows_.DefineTransCAN->Set_Lang();
    if (windows_.Check) windows_.Check->Set_Lang();
    if (windows_.Monitor) windows_.Monitor->Set_Lang();
}
