#include "Brimlark/shelf/FileShelfListView.h"
#include "Brimlark/shelf/FileShelfOverlay.h"
#include "Brimlark/shelf/FileShelfRow.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeShare.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QLabel>

#include <memory>

namespace {

QAbstractButton* button(QWidget* parent, const QString& name) {
    for (QAbstractButton* candidate : parent->findChildren<QAbstractButton*>()) {
        if (candidate->accessibleName() == name && candidate->isVisible())
            return candidate;
    }
    return nullptr;
}

QStringList visibleTexts(QWidget* parent) {
    QStringList texts;
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty())
            texts.append(label->text());
    }
    return texts;
}

} // namespace

class TestFileShelfViews : public QObject {
    Q_OBJECT
    struct Fixture : StateFixture {
        FakeBookmarks bookmarks;
        FakeShare share;
        std::unique_ptr<FileShelfService> shelf;
        void build() { shelf = std::make_unique<FileShelfService>(defaults, bookmarks, share, clock); }
    };

    static QWidget* framed(QWidget* view, const QSize& size) {
        view->setAttribute(Qt::WA_StyledBackground);
        view->setStyleSheet(QStringLiteral("background: #0b0b0d;"));
        view->resize(size);
        view->show();
        return view;
    }

private slots:
    void summaryRowShowsCountHintAndSendsAll() {
        Fixture f;
        f.defaults.setString(FileShelfService::favoriteHintKey(), QStringLiteral("slides.key"));
        f.build();
        FileShelfOverlay overlay(*f.shelf);
        framed(&overlay, QSize(640, 200));
        QVERIFY(overlay.summaryRow()->isHidden());
        QVERIFY(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));

        f.shelf->add({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/c.txt"))});
        QVERIFY(overlay.summaryRow()->isVisible());
        QVERIFY(visibleTexts(&overlay).contains(QStringLiteral("3 on shelf")));
        QVERIFY(visibleTexts(&overlay).contains(QStringLiteral("last: slides.key")));
        QVERIFY(!overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(overlay.mask().boundingRect(), overlay.summaryRow()->geometry());
        brimlark::test::saveScreenshot(&overlay, QStringLiteral("shelf-summary-row"));

        QAbstractButton* all = button(&overlay, QStringLiteral("airdrop all"));
        QVERIFY(all);
        QTest::mouseClick(all, Qt::LeftButton);
        QCOMPARE(f.share.shared.size(), 1);
        QCOMPARE(f.share.shared.first().size(), 3);

        // The highlight is drawn over the summary row, which stays where it was beneath it.
        const QImage before = overlay.grab().toImage();
        overlay.setTargeted(true);
        QVERIFY(overlay.summaryRow()->isVisible());
        QVERIFY(overlay.mask().isEmpty());
        const QImage during = overlay.grab().toImage();
        const QPoint inRow = overlay.summaryRow()->geometry().center();
        QVERIFY(during.pixel(inRow) != before.pixel(inRow));
        brimlark::test::saveScreenshot(&overlay, QStringLiteral("shelf-drop-highlight-over-summary"));
        overlay.setTargeted(false);
        QCOMPARE(overlay.mask().boundingRect(), overlay.summaryRow()->geometry());
    }

    void aDropOfANameThatIsNotUtf8IsRefused() {
        Fixture f;
        f.build();
        for (int n = 0; n < FileShelfService::maxItems; ++n)
            f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/good-%1.txt").arg(n)));
        FileShelfOverlay overlay(*f.shelf);
        framed(&overlay, QSize(640, 200));
        // As a file manager sends a Latin-1 name: the byte 0xE9 percent-encoded, no UTF-8.
        const QUrl latin1 = QUrl::fromEncoded("file:///tmp/r%E9sum%E9.txt");
        const auto told = [&overlay] {
            return visibleTexts(&overlay).filter(QStringLiteral("not be added"));
        };
        LogCapture log;

        QVERIFY(!overlay.handleDrop({latin1}));
        QCOMPARE(log.at(QStringLiteral("warning")).filter(QStringLiteral("file shelf")),
                 QStringList{QStringLiteral(
                     "warning file shelf refused file:///tmp/r%E9sum%E9.txt: its name is not valid UTF-8")});
        QCOMPARE(f.shelf->items().size(), FileShelfService::maxItems);
        QCOMPARE(f.shelf->items().last().displayName, QStringLiteral("good-0.txt"));
        QCOMPARE(told(), QStringList{QStringLiteral("1 file could not be added: its name is not UTF-8")});

        // Beside a good file, only the good one goes on the shelf; the drop says what it left out.
        QVERIFY(overlay.handleDrop({latin1, QUrl::fromEncoded("file:///tmp/r%C3%A9sum%C3%A9.txt"),
                                    QUrl::fromEncoded("file:///tmp/%E9")}));
        QCOMPARE(f.shelf->items().first().displayName, QStringLiteral("r\u00e9sum\u00e9.txt"));
        QCOMPARE(f.shelf->items().at(1).displayName, QStringLiteral("good-9.txt"));
        QCOMPARE(told(),
                 QStringList{QStringLiteral("2 files could not be added: their names are not UTF-8")});
        QVERIFY(overlay.handleDrop({QUrl::fromLocalFile(QStringLiteral("/tmp/next.txt"))}));
        QVERIFY(told().isEmpty());

        // Refused whole on an empty shelf, the drop still says so.
        f.shelf->clear();
        QVERIFY(!overlay.handleDrop({latin1}));
        QVERIFY(overlay.summaryRow()->isVisible());
        QCOMPARE(told().size(), 1);
    }

    // A drop the disk will not take is told where it landed and on the shelf page; the shelf is
    // kept and saved once there is room again.
    void aDropThatCannotBeSavedIsToldAndRetried() {
        Fixture f;
        f.build();
        FileShelfOverlay overlay(*f.shelf);
        framed(&overlay, QSize(640, 200));
        FileShelfListView list(*f.shelf);
        const QUrl dropped = QUrl::fromLocalFile(QStringLiteral("/tmp/slides.pdf"));
        {
            brimlark::test::FileSizeLimit full(8);
            QVERIFY(full.isActive());
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^defaults save failed: ")));
            QVERIFY(overlay.handleDrop({dropped}));
            const QString line = QStringLiteral("the shelf could not be saved: file too large");
            QCOMPARE(overlay.saveLine(), line);
            QVERIFY(visibleTexts(&overlay).contains(line));
            QVERIFY(visibleTexts(&overlay).contains(QStringLiteral("1 on shelf")));
            QCOMPARE(list.saveLine(), line);
            brimlark::test::saveScreenshot(&overlay, QStringLiteral("shelf-save-failed"));
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^defaults save failed: ")));
            f.shelf->flush(); // still no room: still told
            QCOMPARE(list.saveLine(), line);
        }
        f.shelf->flush();
        QVERIFY(overlay.saveLine().isEmpty());
        QVERIFY(list.saveLine().isEmpty());
        UserDefaults reread(f.defaults.filePath());
        FileShelfService again(reread, f.bookmarks, f.share, f.clock);
        QCOMPARE(again.items().size(), 1);
        QCOMPARE(again.items().first().url, dropped);

        // A later write of the same store that succeeds saves the shelf too and clears the line.
        {
            brimlark::test::FileSizeLimit full(8);
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^defaults save failed: ")));
            f.shelf->clear();
            QVERIFY(!list.saveLine().isEmpty());
        }
        f.appState.setHoverToPeekEnabled(!f.appState.hoverToPeekEnabled());
        QVERIFY(list.saveLine().isEmpty());
        QVERIFY(UserDefaults(f.defaults.filePath()).array(FileShelfService::storageKey()).isEmpty());
    }

    void withoutASenderTheSendButtonsAreDisabledAndSayWhy_data() {
        QTest::addColumn<bool>("sender");
        QTest::newRow("no sender installed") << false;
        QTest::newRow("a sender installed") << true;
    }
    void withoutASenderTheSendButtonsAreDisabledAndSayWhy() {
        QFETCH(bool, sender);
        Fixture f;
        f.share.available = sender;
        f.build();
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")));
        FileShelfOverlay overlay(*f.shelf);
        framed(&overlay, QSize(640, 200));
        FileShelfListView list(*f.shelf);
        framed(&list, QSize(640, 260));
        const QString reason = sender ? QString() : QStringLiteral("no bluetooth sender installed");
        for (QAbstractButton* send : {button(&overlay, QStringLiteral("airdrop all")),
                                      button(&list, QStringLiteral("AirDrop a.txt"))}) {
            QVERIFY(send);
            QCOMPARE(send->isEnabled(), sender);
            QCOMPARE(send->toolTip(), reason);
            QCOMPARE(send->accessibleDescription(), reason);
            QTest::mouseClick(send, Qt::LeftButton);
        }
        QCOMPARE(f.share.shared.size(), sender ? 2 : 0);
        if (!sender)
            brimlark::test::saveScreenshot(&list, QStringLiteral("shelf-page-no-sender"));

        // Installed later, the sender counts from the next time the page shows.
        f.share.available = true;
        list.hide();
        list.show();
        QVERIFY(button(&list, QStringLiteral("AirDrop a.txt"))->isEnabled());
    }

    void addedTimesRefreshWhileThePageShows_data() {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("after");
        QTest::newRow("shown") << true << "added 1 min. ago";
        QTest::newRow("hidden") << false << "added 14 sec. ago";
    }
    void addedTimesRefreshWhileThePageShows() {
        QFETCH(bool, visible);
        QFETCH(QString, after);
        Fixture f;
        f.build();
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")));
        f.clock.advance(std::chrono::seconds(14));
        FileShelfListView list(*f.shelf);
        framed(&list, QSize(640, 260));
        auto* added = list.findChild<QLabel*>(QStringLiteral("shelfRowAdded"));
        QCOMPARE(added->text(), QStringLiteral("added 14 sec. ago"));
        if (!visible)
            list.hide();
        f.clock.advance(std::chrono::seconds(60));
        QCOMPARE(added->text(), after);
        // Shown again, the page catches up at once.
        list.show();
        QCOMPARE(added->text(), QStringLiteral("added 1 min. ago"));
    }

    void listShowsEmptyStateThenRows() {
        Fixture f;
        f.build();
        FileShelfListView list(*f.shelf);
        framed(&list, QSize(640, 260));
        QVERIFY(list.showsEmptyState());
        QVERIFY(!button(&list, QStringLiteral("clear")));
        QVERIFY(visibleTexts(&list).contains(QStringLiteral("drop files onto the notch")));
        QVERIFY(visibleTexts(&list).contains(QStringLiteral("recent items appear here for quick airdrop.")));
        brimlark::test::saveScreenshot(&list, QStringLiteral("shelf-page-empty"));

        const QString longName =
            QStringLiteral("quarterly-report-with-a-very-long-name-that-will-never-fit-in-one-row-"
                           "<b>not bold<b>-final-final-v3.pdf");
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt")));
        f.clock.advance(std::chrono::minutes(2));
        f.shelf->add(QUrl::fromLocalFile(QStringLiteral("/tmp/") + longName));
        f.clock.advance(std::chrono::minutes(3));
        f.shelf->setItems(f.shelf->items()); // rows are built afresh with the new time
        QVERIFY(!list.showsEmptyState());
        QCOMPARE(list.relativeAddedText(f.shelf->items().last()), QStringLiteral("added 5 min. ago"));

        const QList<FileShelfRow*> rows = list.findChildren<FileShelfRow*>();
        QCOMPARE(rows.size(), 2);
        for (FileShelfRow* row : rows) {
            // A card is as tall as its lines, whatever height the page has to spare, and the cards
            // follow one another from the top.
            QWidget* card = row->parentWidget();
            QTRY_COMPARE(card->height(), card->sizeHint().height());
            QVERIFY(card->y() < 2 * card->height());
            auto* name = row->findChild<QLabel*>(QStringLiteral("shelfRowName"));
            QCOMPARE(name->textFormat(), Qt::PlainText);
            QVERIFY(!name->wordWrap()); // one line, cut at the row's width with an ellipsis
            QVERIFY(QFontMetrics(name->font()).horizontalAdvance(name->text()) <= name->width());
            QCOMPARE(name->text().endsWith(QChar(0x2026)), row->item().displayName == longName);
            QVERIFY(row->mapTo(&list, QPoint(row->width(), 0)).x() <= list.width());
        }
        brimlark::test::saveScreenshot(&list, QStringLiteral("shelf-page-rows"));

        // Each row sends and removes only its own file.
        const ShelfItem newest = f.shelf->items().first();
        QVERIFY(button(&list, QStringLiteral("AirDrop ") + longName));
        QVERIFY(button(&list, QStringLiteral("Remove notes.txt from shelf")));
        QVERIFY(button(&list, QStringLiteral("clear")));
        QTest::mouseClick(button(&list, QStringLiteral("AirDrop ") + longName), Qt::LeftButton);
        QCOMPARE(f.share.shared.size(), 1);
        QCOMPARE(f.share.shared.first(),
                 QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/") + longName)});
        QTest::mouseClick(button(&list, QStringLiteral("Remove notes.txt from shelf")), Qt::LeftButton);
        QTRY_COMPARE(f.shelf->items().size(), 1);
        QCOMPARE(f.shelf->items().first(), newest);

        QTest::mouseClick(button(&list, QStringLiteral("clear")), Qt::LeftButton);
        QTRY_VERIFY(f.shelf->items().isEmpty());
        QCOMPARE(f.defaults.value(FileShelfService::storageKey()), QVariant(QVariantList{}));
        QVERIFY(list.showsEmptyState());
    }
};

BRIMLARK_TEST_MAIN(TestFileShelfViews)
#include "tst_fileshelfviews.moc"
