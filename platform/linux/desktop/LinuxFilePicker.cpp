#include "platform/linux/desktop/LinuxFilePicker.h"

#include "platform/ContextCallback.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

namespace {

// A folder dialog that also takes a file: Qt's folder mode refuses a selected file on accept.
class PickerDialog final : public QFileDialog {
public:
    PickerDialog(const FilePickerOptions& options, QWidget* owner)
        : QFileDialog(owner), m_filesToo(options.canChooseFiles) {
        setOption(QFileDialog::DontUseNativeDialog, true);
        if (owner) {
            setWindowModality(Qt::WindowModal);
            if (owner->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                setWindowFlag(Qt::WindowStaysOnTopHint, true);
        }
        setWindowTitle(options.title);
        if (options.canChooseDirectories) {
            setFileMode(QFileDialog::Directory);
            setOption(QFileDialog::ShowDirsOnly, !options.canChooseFiles);
        } else {
            setFileMode(QFileDialog::ExistingFile);
        }
        setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
        if (options.showsHiddenFiles)
            setFilter(filter() | QDir::Hidden);
        if (!options.prompt.isEmpty())
            setLabelText(QFileDialog::Accept, options.prompt);
        if (!options.nameFilters.isEmpty())
            setNameFilters(options.nameFilters);
        if (!options.directory.isEmpty())
            setDirectory(options.directory);
        if (!options.message.isEmpty()) {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setText(options.message);
            label->setObjectName(QStringLiteral("pickerMessage"));
            if (auto* grid = qobject_cast<QGridLayout*>(layout()))
                grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (m_filesToo && fileMode() == QFileDialog::Directory && files.size() == 1) {
            const QFileInfo info(files.first());
            if (info.isFile()) {
                m_chosen = info.absoluteFilePath();
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

    QString chosen() const {
        if (!m_chosen.isEmpty())
            return m_chosen;
        return selectedFiles().value(0);
    }

    // The answer of a closed dialog: the chosen item's clean absolute path, or nothing.
    std::optional<QString> answer() const {
        if (result() != QDialog::Accepted)
            return std::nullopt;
        const QString path = chosen();
        if (path.isEmpty())
            return std::nullopt;
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }

private:
    bool m_filesToo;
    QString m_chosen;
};

} // namespace

namespace {

// The picker belongs to the window it was asked from: transient for it, modal to it alone (the
// panel's hover and the other windows keep working) and above it, also when that window stays on
// top of normal windows.
QWidget* pickerOwner() {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    return owner;
}

} // namespace

std::optional<QString> LinuxFilePicker::pickOne(const FilePickerOptions& options) {
    PickerDialog dialog(options, pickerOwner());
    if (m_hook)
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_hook(dialog); });
    dialog.raise();
    dialog.activateWindow();
    dialog.exec();
    return dialog.answer();
}

void LinuxFilePicker::pick(const FilePickerOptions& options, const QObject* context,
                           std::function<void(const std::optional<QString>&)> done) {
    auto* dialog = new PickerDialog(options, pickerOwner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const ContextCallback<void(const std::optional<QString>&)> reply(context, std::move(done));
    // The owner may close (and free) the dialog with it; the answer is given only by a dialog
    // that finished.
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, reply] { reply(dialog->answer()); });
    if (m_hook)
        QTimer::singleShot(0, dialog, [hook = m_hook, dialog] { hook(*dialog); });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}
