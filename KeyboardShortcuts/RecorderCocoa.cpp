#include "KeyboardShortcuts/RecorderCocoa.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/LocalEventMonitor.h"
#include "KeyboardShortcuts/Notifier.h"
#include "KeyboardShortcuts/Strings.h"
#include "KeyboardShortcuts/Utilities.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace KeyboardShortcuts {

namespace {

constexpr int fieldHeight = 24;
// How far outside the field a click still counts as a click on it.
constexpr int clickSlop = 3;
constexpr int escapeKeyCode = 53;
constexpr int f12KeyCode = 111;
// Some system versions refuse combinations of Option (with Shift at most) to sandboxed programs;
// no desktop this program runs on does.
constexpr bool optionOnlyIsRestricted = false;

// A menu item's title as shown: its mnemonic marks dropped, a doubled one kept as one ampersand.
QString shownTitle(const QString& text) {
    QString title;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        title += text.at(i);
    }
    return title;
}

void presentMessageBox(QWidget* window, const RecorderCocoa::Alert& alert, std::function<void(int)> done) {
    auto* box =
        new QMessageBox(QMessageBox::Warning, QString(), alert.message, QMessageBox::NoButton, window);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(alert.informativeText);
    const QStringList titles = alert.buttons.isEmpty() ? QStringList{localizedString("ok")} : alert.buttons;
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < titles.size(); ++i)
        buttons.append(
            box->addButton(titles.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::ActionRole));
    box->setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box->setEscapeButton(buttons.first());
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, done = std::move(done)] {
        const qsizetype index = buttons.indexOf(box->clickedButton());
        done(RecorderCocoa::firstButtonReturn + int(std::max<qsizetype>(index, 0)));
    });
    box->open();
}

} // namespace

RecorderCocoa::RecorderCocoa(const Name& name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent), m_shortcutName(name), m_onChange(std::move(onChange)),
      m_presenter(presentMessageBox) {
    resize(preferredWidth, fieldHeight);
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setPlaceholderText(localizedString("record_shortcut"));
    setAlignment(Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_cancelButton = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), TrailingPosition);
    m_cancelButton->setToolTip(localizedString("clear_shortcut"));
    connect(m_cancelButton, &QAction::triggered, this, &RecorderCocoa::clearClicked);
    setStringValue();
    connect(&Notifier::shared(), &Notifier::shortcutByNameDidChange, this, [this](const Name& changed) {
        if (changed.rawValue() == m_shortcutName.rawValue())
            setStringValue();
    });
}

RecorderCocoa::~RecorderCocoa() {
    endRecording();
}

void RecorderCocoa::setShortcutName(const Name& name) {
    const bool other = name.rawValue() != m_shortcutName.rawValue();
    m_shortcutName = name;
    if (other)
        setStringValue();
}

QSize RecorderCocoa::sizeHint() const {
    return {preferredWidth, QLineEdit::sizeHint().height()};
}

QSize RecorderCocoa::minimumSizeHint() const {
    return sizeHint();
}

void RecorderCocoa::setStringValue() {
    const std::optional<Shortcut> stored = getShortcut(m_shortcutName);
    setText(stored ? stored->description() : QString());
    applyCancelButtonRule();
}

void RecorderCocoa::applyCancelButtonRule() {
    m_cancelButton->setVisible(!text().isEmpty());
}

void RecorderCocoa::preventBecomingKey() {
    m_canBecomeKey = false;
    QTimer::singleShot(0, this, [this] { m_canBecomeKey = true; });
}

void RecorderCocoa::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    preventBecomingKey();
}

void RecorderCocoa::hideEvent(QHideEvent* event) {
    QLineEdit::hideEvent(event);
    endRecording();
}

bool RecorderCocoa::event(QEvent* event) {
    // The window's activation reaches its widgets as these two events.
    if (event->type() == QEvent::WindowActivate)
        windowDidBecomeKey();
    else if (event->type() == QEvent::WindowDeactivate)
        windowDidResignKey();
    return QLineEdit::event(event);
}

void RecorderCocoa::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    // A centred line edit hides its placeholder while focused; recording is when it matters most.
    if (!hasFocus() || !text().isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, placeholderText());
}

void RecorderCocoa::windowDidBecomeKey() {
    // The window taking the keyboard hands it to its first field; that must not start recording.
    preventBecomingKey();
}

void RecorderCocoa::windowDidResignKey() {
    // The window lost the keyboard: recording ends, and the field does not take it back when the
    // window comes back.
    endRecording();
    QTimer::singleShot(0, this, [this] {
        if (!isActiveWindow() && window()->focusWidget() == this)
            clearFocus();
    });
}

void RecorderCocoa::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    const bool requested = m_focusRequested;
    m_focusRequested = false;
    if (!requested && !m_canBecomeKey && event->reason() == Qt::ActiveWindowFocusReason) {
        QTimer::singleShot(0, this, [this] {
            if (hasFocus() && !isRecording())
                clearFocus();
        });
        return;
    }
    if (!window()->isVisible())
        return;
    startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    endRecording();
}

void RecorderCocoa::startRecording() {
    if (isRecording())
        return;
    setPlaceholderText(localizedString("press_shortcut"));
    applyCancelButtonRule();
    if (CarbonKeyboardShortcuts* hotKeys = registry()) {
        hotKeys->setPaused(true);
        hotKeys->setRecorderActive(this, true);
    }
    emit Notifier::shared().recorderActiveStatusDidChange(true);
    QPointer<RecorderCocoa> self(this);
    m_eventMonitor = std::make_unique<LocalEventMonitor>(
        QList<QEvent::Type>{QEvent::MouseButtonRelease, QEvent::KeyPress, QEvent::ShortcutOverride},
        [self](QEvent* event) { return self ? self->handleRecordingEvent(event) : true; });
    m_eventMonitor->start();
}

void RecorderCocoa::endRecording() {
    if (!isRecording())
        return;
    m_eventMonitor.reset();
    setPlaceholderText(localizedString("record_shortcut"));
    applyCancelButtonRule();
    if (CarbonKeyboardShortcuts* hotKeys = registry()) {
        hotKeys->setPaused(false);
        hotKeys->setRecorderActive(this, false);
    }
    emit Notifier::shared().recorderActiveStatusDidChange(false);
}

void RecorderCocoa::resign() {
    if (hasFocus() || window()->focusWidget() == this)
        clearFocus();
    endRecording();
}

void RecorderCocoa::focusAgain() {
    m_focusRequested = true;
    setFocus(Qt::OtherFocusReason);
}

void RecorderCocoa::clearClicked() {
    if (text().isEmpty())
        return;
    clear();
    textDidChange();
}

void RecorderCocoa::textDidChange() {
    const bool empty = text().isEmpty();
    if (empty) {
        setShortcut(std::nullopt, m_shortcutName);
        if (m_onChange)
            m_onChange(std::nullopt);
    }
    applyCancelButtonRule();
    if (empty && !isRecording())
        focusAgain();
}

void RecorderCocoa::store(const Shortcut& shortcut) {
    setText(shortcut.description());
    m_cancelButton->setVisible(true);
    setShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    resign();
}

bool RecorderCocoa::isReserved(const Shortcut& shortcut) const {
    if (shortcut.carbonKeyCode() == f12KeyCode && shortcut.carbonModifiers() == 0)
        return false;
    const CarbonKeyboardShortcuts* hotKeys = registry();
    if (!hotKeys)
        return false;
    if (hotKeys->systemReservedShortcuts().contains(shortcut))
        return true;
    // The desktop lists nothing; a combination another program grabbed is found by trying it.
    return hotKeys->probe(shortcut) == HotKeys::heldByAnotherProgram;
}

void RecorderCocoa::showAlert(Alert alert, std::function<void(int response)> done) {
    QPointer<RecorderCocoa> self(this);
    // Never inside the key event: the alert opens once it has returned, and answers later.
    QTimer::singleShot(0, this, [self, alert = std::move(alert), done = std::move(done)] {
        if (!self)
            return;
        self->m_presenter(self->window(), alert, [self, done](int response) {
            if (self)
                done(response);
        });
    });
}

bool RecorderCocoa::handleRecordingEvent(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Taking the key from every shortcut delivers it as a key press, which comes here next.
        if (isModifierKey(*static_cast<QKeyEvent*>(event)))
            return false;
        event->accept();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
            const QPoint local = mapFromGlobal(mouse->globalPosition().toPoint());
            if (!rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop).contains(local)) {
                resign();
                return false;
            }
        }
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return true;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Modifier keys alone are not the combination yet; recording waits for the key.
    if (isModifierKey(*key))
        return false;
    const Qt::KeyboardModifiers held =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const std::optional<int> keyCode = KeyCodes::carbonKeyCode(key->nativeScanCode());
    if (held == Qt::NoModifier) {
        if (key->key() == Qt::Key_Tab) {
            // Focus moves on as Tab moves it; with nothing to move to, the field lets go.
            focusNextPrevChild(true);
            resign();
            return true;
        }
        if (key->key() == Qt::Key_Escape || keyCode == escapeKeyCode) {
            resign();
            return true;
        }
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
            clearClicked();
            return true;
        }
    }
    if ((held & ~Qt::ShiftModifier) == Qt::NoModifier && !functionKeys().contains(key->key())) {
        beep();
        return true;
    }
    const std::optional<Shortcut> shortcut = Shortcut::fromEvent(*key);
    if (!shortcut) {
        beep();
        return true;
    }
    if (m_mainMenu) {
        if (const QAction* item = shortcut->menuItemWithMatchingShortcut(*m_mainMenu)) {
            resign();
            showAlert({AlertKind::menuItem,
                       localizedString("keyboard_shortcut_used_by_menu_item").arg(shownTitle(item->text())),
                       QString(),
                       {}},
                      [this](int) { focusAgain(); });
            return true;
        }
    }
    const Modifiers modifiers = shortcut->modifiers();
    if (optionOnlyIsRestricted && isSandboxed() && modifiers.testFlag(Modifier::option) &&
        !(modifiers & (Modifier::command | Modifier::control | Modifier::function))) {
        resign();
        showAlert({AlertKind::disallowed, localizedString("keyboard_shortcut_disallowed"), QString(), {}},
                  [this](int) { focusAgain(); });
        return true;
    }
    if (isReserved(*shortcut)) {
        resign();
        const Shortcut chosen = *shortcut;
        showAlert({AlertKind::system,
                   localizedString("keyboard_shortcut_used_by_system"),
                   localizedString("keyboard_shortcuts_can_be_changed"),
                   {localizedString("ok"), localizedString("force_use_shortcut")}},
                  [this, chosen](int response) {
                      if (response == secondButtonReturn)
                          store(chosen);
                      else
                          focusAgain();
                  });
        return true;
    }
    store(*shortcut);
    return true;
}

} // namespace KeyboardShortcuts
