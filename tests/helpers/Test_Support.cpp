#include "Test_Support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWidget>

void When_Modal(std::function<void()> action)
{
    // Poll until a modal widget is up, then act once.
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (!QApplication::activeModalWidget()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

QWidget *Active_Modal() { return QApplication::activeModalWidget(); }

void Click_Cell(QTableView *view, const QModelIndex &index)
{
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void Type_Into_Cell(QTableView *view, const QModelIndex &index, const QString &text)
{
    Click_Cell(view, index);
    const bool blank = text.startsWith(u' ');
    if (blank)
        QTest::keyClick(view, Qt::Key_F2);
    else
        QTest::keyClicks(view, text.left(1));
    QWidget *editor = view->indexWidget(index);
    QVERIFY2(editor, "the cell opened no editor");
    QTest::keyClicks(editor, blank ? text : text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!view->indexWidget(index));
}

void Pick_In_Cell(QTableView *view, const QModelIndex &index, const QString &item)
{
    Click_Cell(view, index);
    QTest::keyClick(view, Qt::Key_F2);
    auto *combo = qobject_cast<QComboBox *>(view->indexWidget(index));
    QVERIFY2(combo, "the cell opened no drop-down list");
    const int position = combo->findText(item);
    QVERIFY2(position >= 0, qPrintable("the list does not offer " + item));
    QTRY_VERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Home);
    for (int i = 0; i < position; ++i) QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!view->indexWidget(index));
}

void Focus_Cell(QTableView *view, const QModelIndex &index, bool open_editor)
{
    view->scrollTo(index);
    view->setCurrentIndex(index);
    view->setFocus();
    if (!open_editor) return;
    QTest::keyClick(view, Qt::Key_F2);
    QVERIFY(view->indexWidget(index));
}

QWidget *Key_Target()
{
    if (QWidget *popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void Type_Keys(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = Key_Target();
        QVERIFY(target);
        QTest::keyClick(target, c.toLatin1());
    }
}

QString Focus_Name()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

QString Focus_Place(QTableView *grid)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus) return QStringLiteral("(none)");
    const QModelIndex current = grid->currentIndex();
    const QString cell = QStringLiteral("%1 %2,%3").arg(grid->objectName()).arg(current.row() + 1).arg(current.column());
    if (focus == grid) return cell;
    if (grid->isAncestorOf(focus)) return cell + QStringLiteral(" editing");
    return focus->objectName();
}
