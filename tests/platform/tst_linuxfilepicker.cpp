#include "platform/linux/LinuxFilePicker.h"
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
};

BRIMLARK_TEST_MAIN(TestLinuxFilePicker)
#include "tst_linuxfilepicker.moc"
