// The window registry: the dialogs' creation (each when first needed, or all in the fixed
// order) and showing them. A language change needs no list of windows: it reaches every window
// as Qt's LanguageChange event (see widgets/Language_Change.h).
#include "app/Main_Window.h"

#include "dialogs/About_Dialog.h"
#include "dialogs/Update_Dialog.h"
#include "dialogs/Bus_Check_Window.h"
#include "dialogs/Check_Window.h"
#include "dialogs/Mapping_Editor.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/Monitor_Window.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "dialogs/Settings_Dialog.h"
#include "dialogs/Options_Dialog.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Language_Change.h"

#include <QDialog>

void Main_Window::Create_Dialogs()
{
    // Order: new configuration, open configuration, update, About, options, communication
    // settings, receive and transmit frame lists, receive and transmit mappings.
    for (Window window : {Window::New_Configuration, Window::Open_Configuration, Window::Update, Window::About, Window::Options,
                          Window::Settings, Window::Receive_Frames, Window::Transmit_Frames, Window::Receive_Mappings,
                          Window::Transmit_Mappings, Window::Check, Window::Monitor, Window::Bus_Check})
        Create_Dialog(window);
}

void Main_Window::Create_Dialog(Window window)
{
    // Each dialog applies the texts of the language in force when it is built; a later change
    // reaches it as a LanguageChange event.
    QDialog *created = nullptr;
    auto make = [&created](auto *&slot, auto &&build) {
        if (slot) return;
        slot = build();
        created = slot;
    };
    switch (window) {
    case Window::New_Configuration:
        make(windows_.New_Configuration, [this] { return new New_Configuration_Dialog(state_, this); });
        break;
    case Window::Open_Configuration:
        make(windows_.Open_Configuration, [this] { return new Open_Configuration_Dialog(state_, this); });
        break;
    case Window::Update:
        make(windows_.Update, [this] { return new Update_Dialog(state_, env_, this); });
        break;
    case Window::About:
        make(windows_.About, [this] { return new About_Dialog(state_, env_, this); });
        break;
    case Window::Options:
        make(windows_.Options, [this] {
            auto *options = new Options_Dialog(state_, env_, this);
            connect(options, &Options_Dialog::Language_Changed, this, &Main_Window::Change_Language);
            return options;
        });
        break;
    case Window::Settings:
        make(windows_.Settings, [this] { return new Settings_Dialog(state_, this); });
        break;
    case Window::Receive_Frames:
        make(windows_.Receive_Frames, [this] { return new Receive_Frame_Editor(state_, this); });
        break;
    case Window::Transmit_Frames:
        make(windows_.Transmit_Frames, [this] { return new Transmit_Frame_Editor(state_, this); });
        break;
    case Window::Receive_Mappings:
        make(windows_.Receive_Mappings, [this] { return new Receive_Mapping_Editor(state_, this); });
        break;
    case Window::Transmit_Mappings:
        make(windows_.Transmit_Mappings, [this] { return new Transmit_Mapping_Editor(state_, this); });
        break;
    case Window::Check:
        make(windows_.Check, [this] { return new Check_Window(state_, this); });
        break;
    case Window::Monitor:
        make(windows_.Monitor, [this] { return new Monitor_Window(state_, env_.clock, this); });
        break;
    case Window::Bus_Check:
        make(windows_.Bus_Check, [this] { return new Bus_Check_Window(state_, this); });
        break;
    }
    if (created) Keep_Centred(created);
}

QDialog *Main_Window::Dialog_Of(Window window) const
{
    switch (window) {
    case Window::New_Configuration: return windows_.New_Configuration;
    case Window::Open_Configuration: return windows_.Open_Configuration;
    case Window::Update: return windows_.Update;
    case Window::About: return windows_.About;
    case Window::Options: return windows_.Options;
    case Window::Settings: return windows_.Settings;
    case Window::Receive_Frames: return windows_.Receive_Frames;
    case Window::Transmit_Frames: return windows_.Transmit_Frames;
    case Window::Receive_Mappings: return windows_.Receive_Mappings;
    case Window::Transmit_Mappings: return windows_.Transmit_Mappings;
    case Window::Check: return windows_.Check;
    case Window::Monitor: return windows_.Monitor;
    case Window::Bus_Check: return windows_.Bus_Check;
    }
    return nullptr;
}

int Main_Window::Show_Window(Window window)
{
    if (window == Window::Monitor) return QDialog::Rejected;  // not modal: Monitor_Device
    Create_Dialog(window);
    if (window == Window::Bus_Check) windows_.Bus_Check->FormShow();
    return Show_Modal(Dialog_Of(window));
}

void Main_Window::Change_Language()
{
    Apply_Qt_Translation();
    // Every window there is applies the new texts now: this one first, then the dialogs it
    // owns, and any other window of the program, whoever made it.
    Announce_Language_Change();
}
