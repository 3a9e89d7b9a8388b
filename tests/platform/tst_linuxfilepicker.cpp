#include "platform/linux/desktop/LinuxFilePicker.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>

#include <memory>

class TestLinuxFilePicker : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;

    QString homePath(const QString& relative) const { return m_home->path(relative); }

private slots:
    void init() { m_home = std::make_unique<TemporaryHome>(); }

    void takesFilesAndFolders() {
        const QString file = homePath(".claude/settings.json");
        QVERIFY(QDir().mkpath(homePath(".claude")));
        QFile(file).open(QIODevice::WriteOnly);
        FilePickerOptions options;
        options.title = QStringLiteral("Allow Claude Code Access");
        options.message = QStringLiteral("choose wisely");
        options.prompt = QStringLiteral("Allow Access");
        options.canChooseDirectories = true;
        options.showsHiddenFiles = true;
        options.directory = m_home->home;

        LinuxFilePicker picker;
        QString shownTitle;
        QString shownMessage;
        QString select;
        picker.setDialogHook([&](QFileDialog& dialog) {
            shownTitle = dialog.windowTitle();
            if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("pickerMessage")))
                shownMessage = label->text();
            if (select.isEmpty()) {
                dialog.reject();
                return;
            }
            dialog.selectFile(select);
            static_cast<QDialog&>(dialog).accept(); // virtual: the picker's own accept runs
        });
        QCOMPARE(picker.pickOne(options), std::optional<QString>());
        QCOMPARE(shownTitle, options.title);
        QCOMPARE(shownMessage, options.message);

        select = file;
        QCOMPARE(picker.pickOne(options), std::optional<QString>(file));
        select = homePath(".claude");
        QCOMPARE(picker.pickOne(options), std::optional<QString>(homePath(".claude")));
    }

    // The panel that does not wait: the answer follows once the dialog closed, and only while its
    // context lives.
    void picksWithoutWaiting_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("contextGone");
        QTest::newRow("picked") << true << false;
        QTest::newRow("cancelled") << false << false;
        QTest::newRow("asker gone") << true << true;
    }
    void picksWithoutWaiting() {
        QFETCH(bool, accept);
        QFETCH(bool, contextGone);
        const QString folder = homePath("applications");
        QVERIFY(QDir().mkpath(folder));
        const QString entry = folder + QStringLiteral("/clock.desktop");
        QFile(entry).open(QIODevice::WriteOnly);
        QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
        FilePickerOptions options;
        options.title = QStringLiteral("Add app");
        options.directory = folder;
        options.nameFilters = {QStringLiteral("applications (*.desktop)")};

        LinuxFilePicker picker;
        QStringList offered;
        bool shown = false;
        picker.setDialogHook([&](QFileDialog& dialog) {
            shown = true;
            offered = dialog.nameFilters();
            if (!accept) {
                dialog.reject();
                return;
            }
            dialog.selectFile(entry);
            static_cast<QDialog&>(dialog).accept();
        });
        auto context = std::make_unique<QObject>();
        int answers = 0;
        std::optional<QString> answer;
        picker.pick(options, context.get(), [&](const std::optional<QString>& path) {
            ++answers;
            answer = path;
        });
        QVERIFY(!shown);
        if (contextGone)
            context.reset();
        QTRY_VERIFY(shown);
        QCOMPARE(offered, options.nameFilters);
        QTest::qWait(20);
        QCOMPARE(answers, contextGone ? 0 : 1);
        QCOMPARE(answer, accept && !contextGone ? std::optional<QString>(entry) : std::nullopt);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxFilePicker)
#include "tst_linuxfilepicker.moc"
