#include "Brimlark/shortcuts/BrimlarkShortcutRecorder.h"

#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/LocalEventMonitor.h"
#include "KeyboardShortcuts/Utilities.h"
#include "platform/KeyCodes.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

using namespace KeyboardShortcuts;

namespace {

constexpr int escapeKeyCode = 53;

BrimlarkRoundedButton::Look recordLook(const QColor& fill, const QColor& stroke, const QColor& text) {
    BrimlarkRoundedButton::Look look;
    look.fill = fill;
    look.stroke = stroke;
    look.text = text;
    look.horizontalPadding = 10;
    look.verticalPadding = 5;
    look.cornerRadius = 6;
    look.font = BrimlarkTheme::monoSemibold12();
    return look;
}

} // namespace

BrimlarkShortcutRecorder::BrimlarkShortcutRecorder(const Name& name, const QColor& tint,
                                                   CarbonKeyboardShortcuts* registry, QWidget* parent)
    : QWidget(parent), m_name(name), m_tint(tint), m_registry(registry) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_recordButton = new BrimlarkRoundedButton(QString(), recordLook({}, {}, {}), this);
    m_recordButton->setMinimumWidth(120);
    connect(m_recordButton, &QAbstractButton::clicked, this, &BrimlarkShortcutRecorder::startRecording);
    layout->addWidget(m_recordButton, 0, Qt::AlignVCenter);

    m_clearButton = new QToolButton(this);
    m_clearButton->setIcon(symbolIcon(QStringLiteral("xmark.circle.fill"), BrimlarkTheme::textTertiary()));
    m_clearButton->setIconSize(QSize(13, 13));
    m_clearButton->setAutoRaise(true);
    m_clearButton->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    m_clearButton->setFocusPolicy(Qt::NoFocus);
    m_clearButton->setCursor(Qt::PointingHandCursor);
    m_clearButton->setAccessibleName(QStringLiteral("clear shortcut"));
    m_clearButton->setToolTip(QStringLiteral("clear shortcut"));
    connect(m_clearButton, &QAbstractButton::clicked, this, &BrimlarkShortcutRecorder::clearShortcut);
    layout->addWidget(m_clearButton, 0, Qt::AlignVCenter);

    if (registry) {
        connect(registry, &CarbonKeyboardShortcuts::registrationFailed, this,
                [this](const Shortcut& shortcut, int) {
                    if (m_currentShortcut && *m_currentShortcut == shortcut) {
                        m_failed = true;
                        refresh();
                    }
                });
    }
    refresh();
}

BrimlarkShortcutRecorder::~BrimlarkShortcutRecorder() {
    m_eventMonitor.reset();
    holdKeyboard(false);
    if (m_isRecording && m_registry)
        m_registry->setRecorderActive(this, false);
}

void BrimlarkShortcutRecorder::startRecording() {
    if (m_isRecording) {
        stopRecording(); // a second click cancels
        return;
    }
    m_isRecording = true;
    if (m_registry)
        m_registry->setRecorderActive(this, isActiveWindow());
    holdKeyboard(isActiveWindow());
    m_eventMonitor = std::make_unique<LocalEventMonitor>(
        QList<QEvent::Type>{QEvent::ShortcutOverride, QEvent::KeyPress}, [this](QEvent* event) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (event->type() == QEvent::KeyPress)
                return handleKeyDown(key);
            // Claiming the key keeps every shortcut of the program from firing; it then comes as a
            // key press.
            if (isModifierKey(*key))
                return false;
            event->accept();
            return true;
        });
    m_eventMonitor->start();
    refresh();
}

void BrimlarkShortcutRecorder::stopRecording() {
    m_eventMonitor.reset();
    const bool wasRecording = m_isRecording;
    m_isRecording = false;
    if (wasRecording) {
        holdKeyboard(false);
        if (m_registry)
            m_registry->setRecorderActive(this, false);
    }
    refresh();
}

void BrimlarkShortcutRecorder::holdKeyboard(bool hold) {
    // An active grab of the keyboard: a combination the window manager or another program grabs
    // (openbox's Super+D) then comes here instead of running there.
    if (hold == m_holdsKeyboard)
        return;
    m_holdsKeyboard = hold;
    if (hold)
        grabKeyboard();
    else
        releaseKeyboard();
}

bool BrimlarkShortcutRecorder::handleKeyDown(QKeyEvent* event) {
    // Modifier keys come before their key: recording waits for it, and they go on as usual.
    if (isModifierKey(*event))
        return false;
    if (event->key() == Qt::Key_Escape || KeyCodes::carbonKeyCode(event->nativeScanCode()) == escapeKeyCode) {
        stopRecording();
        return true;
    }
    // A global grab of a key without Control, Option or Command would take it from every
    // application; only the function keys may stand alone (Shift does not count).
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::NoModifier && !functionKeys().contains(event->key())) {
        beep();
        return true;
    }
    if (const std::optional<Shortcut> shortcut = Shortcut::fromEvent(*event)) {
        setShortcut(*shortcut, m_name);
        m_currentShortcut = shortcut;
        m_unreadable = false;
    }
    // Ending takes the grabs again, the new one among them: a refusal is heard from here on.
    stopRecording();
    updateFailed();
    return true;
}

void BrimlarkShortcutRecorder::loadCurrentShortcut() {
    m_unreadable = keepAsideUnreadable(m_name);
    m_currentShortcut = getShortcut(m_name);
    updateFailed();
}

void BrimlarkShortcutRecorder::clearShortcut() {
    // No shortcut, not the default: a name with one keeps it off across restarts.
    setShortcut(std::nullopt, m_name);
    m_currentShortcut.reset();
    m_unreadable = false;
    updateFailed();
}

void BrimlarkShortcutRecorder::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    loadCurrentShortcut();
}

void BrimlarkShortcutRecorder::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    stopRecording();
}

bool BrimlarkShortcutRecorder::event(QEvent* event) {
    // Keys go to the window that has the keyboard: while another one has it, a recording row
    // hears nothing, and the hot keys need not wait for it.
    const bool activation =
        event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate;
    if (activation && m_isRecording) {
        if (m_registry)
            m_registry->setRecorderActive(this, event->type() == QEvent::WindowActivate);
        holdKeyboard(event->type() == QEvent::WindowActivate);
    }
    return QWidget::event(event);
}

void BrimlarkShortcutRecorder::updateFailed() {
    m_failed = m_registry && m_currentShortcut && m_registry->isEnabled() && !m_registry->isEnabled(m_name);
    refresh();
}

void BrimlarkShortcutRecorder::refresh() {
    QString text;
    QString accessibleName;
    QString accessibleDescription;
    BrimlarkRoundedButton::Look look;
    if (m_isRecording) {
        text = QStringLiteral("press keys\u2026");
        accessibleName = QStringLiteral("recording shortcut, press keys or escape to cancel");
        look = recordLook(ColorBlend::faded(m_tint, 0.12), m_tint, m_tint);
    } else if (m_currentShortcut) {
        const QString description = m_currentShortcut->description();
        text = description;
        accessibleName = QStringLiteral("current shortcut: %1. click to re-record.").arg(description);
        if (m_failed) {
            const QColor& danger = BrimlarkTheme::danger();
            look = recordLook(BrimlarkTheme::notchBlack(), ColorBlend::faded(danger, 0.55), danger);
            accessibleDescription =
                QStringLiteral("Another program holds %1, so it does not work here. Record another "
                               "combination or free it in that program.")
                    .arg(description);
        } else {
            look = recordLook(BrimlarkTheme::notchBlack(), ColorBlend::faded(m_tint, 0.55),
                              BrimlarkTheme::textPrimary());
        }
    } else if (m_unreadable) {
        const QColor& danger = BrimlarkTheme::danger();
        text = QStringLiteral("unreadable shortcut");
        accessibleName = QStringLiteral("unreadable shortcut. click to record one.");
        look = recordLook(BrimlarkTheme::notchBlack(), ColorBlend::faded(danger, 0.55), danger);
        accessibleDescription =
            QStringLiteral("The stored shortcut could not be read, so none works here. It is "
                           "kept in the settings file under %1. Record one to replace it.")
                .arg(unreadableKey(m_name));
    } else {
        text = QStringLiteral("record shortcut");
        accessibleName = text;
        look = recordLook(BrimlarkTheme::notchBlack(), BrimlarkTheme::strokeStrong(),
                          BrimlarkTheme::textSecondary());
    }
    m_recordButton->setLook(look);
    m_recordButton->setText(text);
    m_recordButton->setAccessibleName(accessibleName);
    m_recordButton->setAccessibleDescription(accessibleDescription);
    m_recordButton->setToolTip(accessibleDescription);
    m_clearButton->setVisible(!m_isRecording && m_currentShortcut.has_value());
}
