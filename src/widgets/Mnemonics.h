#pragma once
// Alt+letter for every button of a window. The texts come from language files that carry no
// mnemonic marks, so the letters are chosen here, after each change of language: the first
// letter of a word that no earlier control has taken, else any free letter of its text.
#include <QString>

#include <initializer_list>

class QAbstractButton;

class QWidget;

// Marks one free letter in the text of every push button, check box and radio button of
// window (in creation order; not those of windows inside it) and of every label with a buddy.
// A text that already carries a mark keeps it. Texts without a free letter stay unmarked.
void Assign_Mnemonics(QWidget *window);
// The same, the buttons first given their letters before every other control: OK and Cancel
// keep the same letters in every window that names them so.
void Assign_Mnemonics(QWidget *window, std::initializer_list<QAbstractButton *> first);

// The text as shown, without mnemonic marks ("&&" is one "&").
QString Shown_Text(const QString &text);
