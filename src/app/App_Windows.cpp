// The window registry: the dialogs' creation (each when first needed, or all in the fixed
// order), showing them, and the language change that reaches every window built so far. Each dialog class joins here, and only here.
#include "app/TFVariroduvieFirmWare.h"

#include "dialogs/TFAbout.h"
#include "dialogs/TFBootTCP.h"
#include "dialogs/TFBus_Check.h"
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
    for (Window window : {Window::New_Project, Window::OpenConf, Window::BootTCP, Window::About, Window::SoftOptions,
                          Window::ParGen, Window::ReceiveCAN, Window::TransmitCAN, Window::DefineRecCAN,
                          Window::DefineTransCAN, Window::Check, Window::Monitor, Window::Bus_Check})
        Create_Dialog(window);
}

void TFVariroduvieFirmWare::Create_Dialog(Window window)
{
    // Each dialog applies the texts of the language in force when it is built; a later change
    // reaches it through Change_Language.
    QDialog *created = nullptr;
    auto make = [&created](auto *&slot, auto &&build) {
        if (slot) return;
        slot = build();
        created = slot;
    };
    switch (window) {
    case Window::New_Project:
        make(windows_.New_Project, [this] { return new TFNew_Project(state_, this); });
        break;
    case Window::OpenConf:
        make(windows_.OpenConf, [this] { return new TFOpenConf(state_, this); });
        break;
    case Window::BootTCP:
        make(windows_.BootTCP, [this] { return new TFBootTCP(state_, env_, this); });
        break;
    case Window::About:
        make(windows_.About, [this] { return new TFAbout(state_, env_, this); });
        break;
    case Window::SoftOptions:
        make(windows_.SoftOptions, [this] {
            auto *options = new TFSoftOptions(state_, env_, this);
            connect(options, &TFSoftOptions::Language_Changed, this, &TFVariroduvieFirmWare::Change_Language);
            return options;
        });
        break;
    case Window::ParGen:
        make(windows_.ParGen, [this] { return new TFParGen(state_, this); });
        break;
    case Window::ReceiveCAN:
        make(windows_.ReceiveCAN, [this] { return new TFReceiveCAN(state_, this); });
        break;
    case Window::TransmitCAN:
        make(windows_.TransmitCAN, [this] { return new TFTransmitCAN(state_, this); });
        break;
    case Window::DefineRecCAN:
        make(windows_.DefineRecCAN, [this] { return new TFDefineRecCAN(state_, this); });
        break;
    case Window::DefineTransCAN:
        make(windows_.DefineTransCAN, [this] { return new TFDefineTransCAN(state_, this); });
        break;
    case Window::Check:
        make(windows_.Check, [this] { return new TFCheck(state_, this); });
        break;
    case Window::Monitor:
        make(windows_.Monitor, [this] { return new TFMonitor(state_, env_.clock, this); });
        break;
    case Window::Bus_Check:
        make(windows_.Bus_Check, [this] { return new TFBus_Check(state_, this); });
        break;
    }
    if (created) Keep_Centred(created);
}

QDialog *TFVariroduvieFirmWare::Dialog_Of(Window window) const
{
    switch (window) {
    case Window::New_Project: return windows_.New_Project;
    case Window::OpenConf: return windows_.OpenConf;
    case Window::BootTCP: return windows_.BootTCP;
    case Window::About: return windows_.About;
    case Window::SoftOptions: return windows_.SoftOptions;
    case Window::ParGen: return windows_.ParGen;
    case Window::ReceiveCAN: return windows_.ReceiveCAN;
    case Window::TransmitCAN: return windows_.TransmitCAN;
    case Window::DefineRecCAN: return windows_.DefineRecCAN;
    case Window::DefineTransCAN: return windows_.DefineTransCAN;
    case Window::Check: return windows_.Check;
    case Window::Monitor: return windows_.Monitor;
    case Window::Bus_Check: return windows_.Bus_Check;
    }
    return nullptr;
}

int TFVariroduvieFirmWare::Show_Window(Window window)
{
    if (window == Window::Monitor) return QDialog::Rejected;  // not modal: Monitor_Device
    Create_Dialog(window);
    if (window == Window::Bus_Check) windows_.Bus_Check->FormShow();
    return Show_Modal(Dialog_Of(window));
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
    if (windows_.Bus_Check) windows_.Bus_Check->Set_Lang();
}
