// The dialogs as the main window knows them: their creation in the fixed order, showing them,
// and the language change that reaches every window. Each dialog class joins here.
#include "app/TFVariroduvieFirmWare.h"
#include "editors/TFParGen.h"

#include <QDialog>

void TFVariroduvieFirmWare::Create_Dialogs()
{
    // Order: new configuration, open configuration, update, About, options, communication
    // settings, receive and transmit frame lists, receive and transmit mappings.
    windows_.ParGen = new TFParGen(state_, this);
}

int TFVariroduvieFirmWare::Show_Window(Window window)
{
    switch (window) {
    case Window::About:
    case Window::SoftOptions:
    case Window::ReceiveCAN:
    case Window::TransmitCAN:
    case Window::DefineRecCAN:
    case Window::DefineTransCAN:
        break;
    case Window::ParGen:
        return Show_Modal(windows_.ParGen);
    }
    return QDialog::Rejected;
}

void TFVariroduvieFirmWare::Change_Language()
{
    Set_Lang();
    // Then, in this order: TFNew_Project, TFOpenConf, TFSoftOptions, TFBootTCP, TFParGen,
    // TFReceiveCAN, TFTransmitCAN, TFDefineRecCAN, TFDefineTransCAN.
    if (windows_.ParGen) windows_.ParGen->Set_Lang();
}
