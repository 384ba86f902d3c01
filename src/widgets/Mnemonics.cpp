#include "widgets/Mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSet>
#include <QWidget>

namespace {

// The position of the character after a single "&", or -1.
qsizetype Marked_Position(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

qsizetype Free_Position(const QString &text, const QSet<QChar> &taken)
{
    auto free_at = [&](qsizetype i) {
        const QChar c = text[i];
        return c.isLetterOrNumber() && !taken.contains(c.toLower()) &&
               (i == 0 || text[i - 1] != u'&');
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool word_start = i == 0 || !text[i - 1].isLetterOrNumber();
        if (word_start && free_at(i)) return i;
    }
    for (qsizetype i = 0; i < text.size(); ++i)
        if (free_at(i)) return i;
    return -1;
}

// Marks text in place; records its letter in taken.
void Mark(QString &text, QSet<QChar> &taken)
{
    const qsizetype marked = Marked_Position(text);
    if (marked >= 0) {
        taken.insert(text[marked].toLower());
        return;
    }
    const qsizetype at = Free_Position(text, taken);
    if (at < 0) return;
    taken.insert(text[at].toLower());
    text.insert(at, u'&');
}

}  // namespace

void Assign_Mnemonics(QWidget *window) { Assign_Mnemonics(window, {}); }

void Assign_Mnemonics(QWidget *window, std::initializer_list<QAbstractButton *> first)
{
    if (!window) return;
    QSet<QChar> taken;
    // Only the window's own controls: the main window is the parent of every dialog, and each
    // dialog picks its letters for itself.
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.removeIf([window](const QWidget *w) { return w->window() != window; });
    // Marks that the texts bring along are honoured first, so that no choice here takes them.
    for (QWidget *w : widgets) {
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w)) text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy()) text = l->text();
        const qsizetype marked = Marked_Position(text);
        if (marked >= 0) taken.insert(text[marked].toLower());
    }
    for (QAbstractButton *b : first) {
        QString text = b ? b->text() : QString();
        if (text.isEmpty()) continue;
        Mark(text, taken);
        if (text != b->text()) b->setText(text);
    }
    for (QWidget *w : widgets) {
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            QString text = b->text();
            if (text.isEmpty()) continue;
            Mark(text, taken);
            if (text != b->text()) b->setText(text);
        } else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy() && l->textFormat() != Qt::RichText) {
            QString text = l->text();
            if (text.isEmpty()) continue;
            Mark(text, taken);
            if (text != l->text()) l->setText(text);
        }
    }
}

QString Shown_Text(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') shown += u'&';
            ++i;
            if (i < text.size() && text[i] != u'&') shown += text[i];
            continue;
        }
        shown += text[i];
    }
    return shown;
}
