#include "widgets/Language_Change.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class Language_Follower : public QObject {
public:
    Language_Follower(QWidget *window, std::function<void()> set_lang)
        : QObject(window), set_lang_(std::move(set_lang))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LanguageChange && watched == parent()) set_lang_();
        return false;
    }

private:
    std::function<void()> set_lang_;
};

}  // namespace

void Follow_Language_Change(QWidget *window, std::function<void()> set_lang)
{
    new Language_Follower(window, std::move(set_lang));
}

void Announce_Language_Change()
{
    // Installing a translator posts the event to every top-level window, a dialog that has a
    // parent included: those copies would reach each window a second time, later.
    QCoreApplication::removePostedEvents(nullptr, QEvent::LanguageChange);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        // A window with a parent hears of it from that parent, which passes the event on to
        // its children.
        if (window->parentWidget() || window->windowType() == Qt::Desktop) continue;
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}
