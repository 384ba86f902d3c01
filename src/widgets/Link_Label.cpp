#include "widgets/Link_Label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {

class Link_Accessible : public QAccessibleWidget {
public:
    explicit Link_Accessible(Link_Label *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        // A link is read by what it shows; a name set on purpose goes first.
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<Link_Label *>(widget())->Activate();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *Link_Factory(const QString &class_name, QObject *object)
{
    if (class_name == QLatin1String("Link_Label"))
        if (auto *label = qobject_cast<Link_Label *>(object)) return new Link_Accessible(label);
    return nullptr;
}

}  // namespace

Link_Label::Link_Label(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    static const bool factory_installed = (QAccessible::installFactory(Link_Factory), true);
    Q_UNUSED(factory_installed);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // Blue and underlined as links are. Through the palette and the font rather than a style
    // sheet: a style sheet puts a whole style engine in front of this one label, which cost the
    // main window's start more than all its other labels.
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, Qt::blue);
    setPalette(colors);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void Link_Label::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void Link_Label::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void Link_Label::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // The dotted frame that says where the keyboard is, as on a button.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
