#include "widgets/Storable_Edit.h"

#include "editing/Storable_Text.h"
#include "platform/Xml_Document.h"
#include "widgets/Message_Box.h"

#include <QLineEdit>
#include <memory>

void Keep_Text_Storable(QLineEdit *edit, const Lang_Table &texts)
{
    // The last text that could be stored, to go back to.
    auto kept = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [kept](const QString &text) {
        if (Xml_Storable(text)) *kept = text;
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, kept, &texts](const QString &text) {
        const QString message = Unstorable_Text_Message(texts, text);
        if (message.isEmpty()) return;
        edit->setText(*kept);
        Message_Box::Error(edit->window(), message);
    });
}
