#include "Brimlark/aihooks/views/AIHooksEventList.h"
#include "tests/support/TestMain.h"

#include <QMoveEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// A row of a fixed height that counts how often it is moved.
class FixedRow : public QWidget {
public:
    FixedRow(int height, QWidget* parent) : QWidget(parent), m_height(height) {}
    QSize sizeHint() const override { return QSize(50, m_height); }
    int moves = 0;

protected:
    void moveEvent(QMoveEvent*) override { ++moves; }

private:
    int m_height;
};

} // namespace

class TestAIHooksEventList : public QObject {
    Q_OBJECT
private slots:
    // Rows stack from the top at their own heights and the list's width; a row that joins or
    // leaves moves the rows below it and leaves those above alone.
    void rowsStackAndOnlyThoseBelowAChangeMove_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("at");
        QTest::newRow("a row joins on top") << QStringLiteral("insert") << 0;
        QTest::newRow("a row joins in the middle") << QStringLiteral("insert") << 2;
        QTest::newRow("the last row leaves") << QStringLiteral("remove") << 3;
        QTest::newRow("a middle row is deleted") << QStringLiteral("delete") << 1;
    }

    void rowsStackAndOnlyThoseBelowAChangeMove() {
        QFETCH(QString, change);
        QFETCH(int, at);
        QScrollArea scroll;
        scroll.setWidgetResizable(true);
        scroll.setFrameShape(QFrame::NoFrame);
        auto* list = new AIHooksEventList();
        QList<QPointer<FixedRow>> rows;
        for (int i = 0; i < 4; ++i) {
            rows.append(new FixedRow(20 + 10 * i, list));
            list->insertRow(i, rows.last());
        }
        scroll.setWidget(list);
        scroll.resize(200, 80);
        scroll.show();
        QVERIFY(QTest::qWaitForWindowExposed(&scroll));
        QCoreApplication::processEvents();
        const auto expectStacked = [&] {
            int top = 0;
            for (int i = 0; i < list->count(); ++i) {
                const QRect place = list->rowAt(i)->geometry();
                if (place != QRect(0, top, list->width(), list->rowAt(i)->sizeHint().height()))
                    return false;
                top += place.height();
            }
            return list->heightForWidth(list->width()) == top;
        };
        QVERIFY(expectStacked());
        for (FixedRow* row : std::as_const(rows))
            row->moves = 0;

        if (change == QLatin1String("insert")) {
            auto* added = new FixedRow(15, list);
            list->insertRow(at, added);
            added->show();
        } else if (change == QLatin1String("remove")) {
            list->removeRow(rows.at(at));
            rows.at(at)->hide();
        } else {
            delete rows.at(at);
        }
        QCoreApplication::processEvents();
        QVERIFY(expectStacked());
        for (int i = 0; i < rows.size(); ++i) {
            if (!rows.at(i) || (change == QLatin1String("remove") && i == at))
                continue;
            QCOMPARE(rows.at(i)->moves, i < at || (change == QLatin1String("remove") && i > at) ? 0 : 1);
        }
        // The list is as tall as its rows, or the view where they are fewer: it scrolls exactly
        // as far as its last row.
        const int rowsHeight = list->heightForWidth(list->width());
        QCOMPARE(list->height(), std::max(rowsHeight, scroll.viewport()->height()));
        QCOMPARE(scroll.verticalScrollBar()->maximum(),
                 std::max(0, rowsHeight - scroll.viewport()->height()));
    }
};

BRIMLARK_TEST_MAIN(TestAIHooksEventList)
#include "tst_aihookseventlist.moc"
