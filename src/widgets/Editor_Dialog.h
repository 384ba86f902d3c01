#pragma once
// The dialogs that edit a part of the open configuration (communication settings, the two frame
// lists, the two mapping lists) behave alike where it matters: Cancel, Escape and the close box
// ask before typed work is thrown away, and only when something changed; the title names the
// configuration being edited.
#include <QDialog>

struct App_State;

class Editor_Dialog : public QDialog {
    Q_OBJECT
public:
    Editor_Dialog(const App_State &state, QWidget *parent);

    // True when the controls hold something the configuration's files do not.
    virtual bool Has_Changes() const = 0;

    // The dialog's own title; the configuration's name is added at every showing.
    void Set_Title_Base(const QString &title);
    QString Title_Base() const { return title_base_; }

public slots:
    // Escape, the close box and Cancel come here; OK does not.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Show_Title();

    const App_State &editor_state_;
    QString title_base_;
};

// "Receive CAN – MyConfiguration"; the title alone while no configuration is open.
QString Editor_Title(const QString &title, const QString &project_name);
