#pragma once
// Every error box and every Yes/No question of the program goes through here, so that tests
// can record the texts and answer the questions.
#include <QString>

class QWidget;

class Message_Box {
public:
    // Modal error box: error icon, one OK button.
    static void Error(QWidget *parent, const QString &text);
    // Modal notice of something the user should know before going on: warning icon, one OK
    // button.
    static void Warning(QWidget *parent, const QString &text);
    // Modal question: question icon, Yes and No; true on Yes.
    static bool Ask(QWidget *parent, const QString &text);
    // Modal note that something asked for is done: information icon, one OK button.
    static void Information(QWidget *parent, const QString &text);

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void Error(QWidget *parent, const QString &text) = 0;
        virtual bool Ask(QWidget *parent, const QString &text) = 0;
        // Recorded among the errors unless a handler tells them apart.
        virtual void Warning(QWidget *parent, const QString &text) { Error(parent, text); }
        // Shown nowhere unless a handler keeps them.
        virtual void Information(QWidget *, const QString &) {}
    };
    // Routes every box to handler; nullptr restores the real boxes.
    static void Install(Handler *handler);
};
