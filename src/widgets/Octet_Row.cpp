#include "widgets/Octet_Row.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
void Focus(QLineEdit *edit)
{
    if (edit->isEnabled() && edit->isVisible() && edit->focusPolicy() != Qt::NoFocus)
        edit->setFocus(Qt::TabFocusReason);  // selects its text, ready to be typed over
}
}  // namespace

Octet_Row::Octet_Row(const QString &prefix, int part_w, int dot_w, QWidget *parent, int part_h) : QWidget(parent)
{
    setObjectName(QStringLiteral("Row_") + prefix);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        auto *e = new QLineEdit(this);
        e->setObjectName(prefix + QString::number(i + 1));
        e->setFixedSize(part_w, part_h);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, &Octet_Row::Edited);
        layout->addWidget(e);
        parts_[size_t(i)] = e;
        if (i < 3) {
            auto *dot = new QLabel(QStringLiteral("."), this);
            dot->setObjectName(QStringLiteral("L_Dot_") + prefix + QString::number(i + 1));
            // Low in the row, where a full stop stands beside the parts' digits.
            dot->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            dot->setContentsMargins(0, 0, 0, 4);
            dot->setFixedSize(dot_w, part_h);
            layout->addWidget(dot);
            dots_[size_t(i)] = dot;
        }
    }
    setFixedSize(4 * part_w + 3 * dot_w, part_h);
}

QStringList Octet_Row::Texts() const
{
    QStringList texts;
    for (QLineEdit *e : parts_) texts.append(e->text());
    return texts;
}

void Octet_Row::Set_Texts(const QStringList &texts)
{
    for (int i = 0; i < 4; ++i) parts_[size_t(i)]->setText(texts.value(i));
}

void Octet_Row::Set_Accessible_Names(const QString &name)
{
    for (int i = 0; i < 4; ++i) parts_[size_t(i)]->setAccessibleName(QStringLiteral("%1 %2").arg(name).arg(i + 1));
}

void Octet_Row::Set_Read_Only(bool read_only)
{
    for (QLineEdit *e : parts_) e->setReadOnly(read_only);
}

bool Octet_Row::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->text() != QLatin1String("."))
        return QWidget::eventFilter(watched, event);
    for (int i = 0; i < 3; ++i) {
        if (watched == parts_[size_t(i)]) {
            Focus(parts_[size_t(i + 1)]);
            return true;
        }
    }
    if (watched != parts_[3]) return QWidget::eventFilter(watched, event);
    if (next_) {
        Focus(next_->Part(0));
        return true;
    }
    return swallow_last_dot_;
}
