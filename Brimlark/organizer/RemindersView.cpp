#include "Brimlark/organizer/RemindersView.h"

#include "Brimlark/core/ClockText.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkPill.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/LineClampLabel.h"
#include "Brimlark/kit/PermissionDeniedView.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/organizer/RemindersService.h"
#include "platform/Clock.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The round completion button of a row: a check in a filled circle, or an empty circle.
class CompletionButton : public QAbstractButton {
public:
    CompletionButton(bool completed, QWidget* parent) : QAbstractButton(parent), m_completed(completed) {
        setFixedSize(18, 18);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRectF glyph = QRectF(rect()).adjusted(3, 3, -3, -3);
        paintSymbol(painter, glyph,
                    m_completed ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                    m_completed ? BrimlarkTheme::success() : BrimlarkTheme::textTertiary());
    }

private:
    bool m_completed;
};

// A row's backdrop: a rounded surface while the reminder is open, nothing once completed.
class RowBackground : public QWidget {
public:
    RowBackground(bool open, QWidget* parent) : QWidget(parent), m_open(open) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_open)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor fill = BrimlarkTheme::surface();
        fill.setAlphaF(fill.alphaF() * 0.42f);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), 16, 16);
    }

private:
    bool m_open;
};

} // namespace

RemindersView::RemindersView(RemindersService& service, PermissionsCoordinator& permissions, Clock* clock,
                             QWidget* parent)
    : QWidget(parent), m_service(service), m_permissions(permissions),
      m_clock(clock ? clock : Clock::system()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&m_service, &RemindersService::itemsChanged, this, [this] {
        rebuildControls();
        rebuildList();
    });
    connect(&m_service, &RemindersService::listsChanged, this, &RemindersView::rebuildControls);
    connect(&m_service, &RemindersService::selectedListIDChanged, this, &RemindersView::rebuildControls);
    connect(&m_permissions, &PermissionsCoordinator::stateChanged, this,
            [this](PermissionsCoordinator::Permission permission) {
                if (permission == PermissionsCoordinator::Permission::reminders)
                    rebuild();
            });
    rebuild();
}

int RemindersView::pendingCount() const {
    const QList<ReminderItem>& items = m_service.items();
    return int(std::count_if(items.begin(), items.end(),
                             [](const ReminderItem& item) { return !item.isCompleted; }));
}

QString RemindersView::selectedListTitle() const {
    if (const std::optional<QString>& selected = m_service.selectedListID()) {
        for (const EventStore::Calendar& list : m_service.lists()) {
            if (list.identifier == *selected)
                return list.title;
        }
    }
    return QStringLiteral("all lists");
}

QString RemindersView::draft() const {
    return m_field ? m_field->text() : QString();
}

void RemindersView::setDraft(const QString& text) {
    if (m_field)
        m_field->setText(text);
}

QString RemindersView::dueText(const ReminderItem& item) {
    return item.dueDate ? ClockText::dateTime(*item.dueDate, item.dueIsDate) : QString();
}

QString RemindersView::errorText() const {
    return m_error && !m_error->isHidden() ? m_error->text() : QString();
}

void RemindersView::refreshSoon() {
    QPointer<RemindersView> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->m_service.refresh();
    });
}

void RemindersView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_layout == Layout::reminders)
        refreshSoon();
}

void RemindersView::selectList(const EventStore::Calendar& list) {
    m_service.setSelectedListID(list.identifier);
    m_service.refresh();
}

void RemindersView::submitDraft() {
    if (!m_field)
        return;
    const QString title = m_field->text().trimmed();
    if (title.isEmpty())
        return;
    m_field->clear();
    QPointer<RemindersView> self(this);
    m_service.quickAdd(title, [self, title](const RemindersService::Outcome& outcome) {
        if (!self)
            return;
        if (outcome.kind == RemindersService::Outcome::Kind::failed) {
            // The draft comes back unless something new was typed meanwhile.
            if (self->m_field && self->m_field->text().isEmpty())
                self->m_field->setText(title);
            // Lower-cased as the page writes, but only its first letter: a path or a system's
            // reason in the message names something exactly.
            QString line = outcome.error;
            if (!line.isEmpty())
                line[0] = line.at(0).toLower();
            self->showError(line);
        } else if (outcome.kind == RemindersService::Outcome::Kind::saved) {
            self->showError({});
        }
    });
}

void RemindersView::showError(const QString& text) {
    if (!m_error)
        return;
    auto* replacement = new LineClampLabel(text, BrimlarkTheme::monoMedium10(), BrimlarkTheme::danger(), 1,
                                           m_error->parentWidget());
    replacement->setObjectName(QStringLiteral("quickAddError"));
    // One line: a long reason, a path in it, is cut there and read whole here.
    replacement->setToolTip(text);
    replacement->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    replacement->setVisible(!text.isEmpty());
    if (QLayout* holder = m_error->parentWidget()->layout())
        delete holder->replaceWidget(m_error, replacement); // the old label's item is ours to free
    m_error->deleteLater();
    m_error = replacement;
}

void RemindersView::rebuild() {
    const Layout next = m_permissions.reminders() == PermissionsCoordinator::State::granted
                            ? Layout::reminders
                            : Layout::permission;
    if (m_built && next == m_layout)
        return;
    // The old content may be running the click that led here: it goes on a later turn.
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_controlsHolder = nullptr;
    m_listHolder = nullptr;
    m_controls = nullptr;
    m_list = nullptr;
    m_field = nullptr;
    m_error = nullptr;
    if (next == Layout::permission) {
        QPointer<RemindersService> service(&m_service);
        PermissionsCoordinator* permissions = &m_permissions;
        m_content = new PermissionDeniedView(
            PermissionsCoordinator::Permission::reminders,
            [service, permissions] {
                permissions->requestReminders([service](PermissionsCoordinator::State) {
                    if (service)
                        service->refresh();
                });
            },
            &m_permissions, this);
    } else {
        m_content = buildReminders();
    }
    layout()->addWidget(m_content);
    m_layout = next;
    m_built = true;
    if (next == Layout::reminders && isVisible())
        refreshSoon();
}

QWidget* RemindersView::buildReminders() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* titleRow = new QHBoxLayout();
    titleRow->addWidget(plainLabel(QStringLiteral("reminders"), BrimlarkTheme::monoSemibold11(),
                                   BrimlarkTheme::textSecondary(), box));
    titleRow->addStretch(1);
    layout->addLayout(titleRow);

    m_controlsHolder = new QVBoxLayout();
    m_controlsHolder->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_controlsHolder);

    // The quick-add card: its field lives as long as this layout, so a refresh never takes the
    // text being typed.
    auto* fieldRow = new QWidget(box);
    auto* fieldLayout = new QHBoxLayout(fieldRow);
    fieldLayout->setContentsMargins(8, 8, 8, 8);
    fieldLayout->setSpacing(8);
    auto* plus = new QLabel(fieldRow);
    plus->setPixmap(symbolPixmap(QStringLiteral("plus.circle.fill"), BrimlarkTheme::warning(), QSize(12, 12),
                                 devicePixelRatioF()));
    fieldLayout->addWidget(plus);
    m_field = new QLineEdit(fieldRow);
    m_field->setObjectName(QStringLiteral("quickAdd"));
    m_field->setAccessibleName(QStringLiteral("quick add a reminder"));
    m_field->setPlaceholderText(QStringLiteral("quick add a reminder\u2026"));
    m_field->setFrame(false);
    m_field->setFont(BrimlarkTheme::monoRegular12());
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, BrimlarkTheme::textPrimary());
    palette.setColor(QPalette::PlaceholderText, BrimlarkTheme::textTertiary());
    m_field->setPalette(palette);
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    connect(m_field, &QLineEdit::returnPressed, this, &RemindersView::submitDraft);
    fieldLayout->addWidget(m_field, 1);
    QWidget* fieldCard = brimlarkCard(fieldRow, std::nullopt, 12, true, false, box);
    // A click anywhere on the card, around the one-line field too, is a click into the field.
    for (QWidget* around : {fieldRow, fieldCard}) {
        around->setFocusPolicy(Qt::ClickFocus);
        around->setFocusProxy(m_field);
    }
    layout->addWidget(fieldCard);

    m_error = new LineClampLabel(QString(), BrimlarkTheme::monoMedium10(), BrimlarkTheme::danger(), 1, box);
    m_error->setObjectName(QStringLiteral("quickAddError"));
    m_error->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_error->hide();
    layout->addWidget(m_error);

    m_listHolder = new QVBoxLayout();
    m_listHolder->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_listHolder, 1);

    m_controls = nullptr;
    m_list = nullptr;
    m_content = box;
    rebuildControls();
    rebuildList();
    return box;
}

void RemindersView::rebuildControls() {
    if (!m_controlsHolder || !m_content)
        return;
    if (m_controls) {
        m_controlsHolder->removeWidget(m_controls);
        m_controls->hide();
        m_controls->deleteLater();
    }
    auto* row = new QWidget(m_content);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (!m_service.lists().isEmpty()) {
        auto* menuButton = new QToolButton(row);
        menuButton->setObjectName(QStringLiteral("listMenu"));
        menuButton->setAutoRaise(true);
        menuButton->setPopupMode(QToolButton::InstantPopup);
        menuButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        menuButton->setIcon(symbolIcon(QStringLiteral("list.bullet"), BrimlarkTheme::textSecondary()));
        menuButton->setIconSize(QSize(10, 10));
        menuButton->setText(selectedListTitle());
        menuButton->setFont(BrimlarkTheme::monoMedium10());
        menuButton->setStyleSheet(QStringLiteral("QToolButton { color: %1; border: none; background: "
                                                 "transparent; padding: 0; }"
                                                 "QToolButton::menu-indicator { image: none; width: 0; }")
                                      .arg(BrimlarkTheme::textSecondary().name(QColor::HexArgb)));
        auto* menu = new QMenu(menuButton);
        for (const EventStore::Calendar& list : m_service.lists()) {
            const bool selected = m_service.selectedListID() == list.identifier;
            QAction* action = menu->addAction(
                symbolIcon(selected ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                           BrimlarkTheme::textSecondary()),
                list.title);
            QPointer<RemindersView> self(this);
            connect(action, &QAction::triggered, this, [self, list] {
                if (self)
                    self->selectList(list);
            });
        }
        menuButton->setMenu(menu);
        layout->addWidget(menuButton);
    }
    layout->addStretch(1);
    const int pending = pendingCount();
    if (pending > 0) {
        const QString label = QStringLiteral("%1 pending").arg(pending);
        auto* pill = new BrimlarkPill(label, BrimlarkTheme::warning(), true, true,
                                      BrimlarkTheme::monoSemibold11(), row);
        pill->setObjectName(QStringLiteral("pendingPill"));
        pill->setAccessibleName(label);
        layout->addWidget(pill);
    }
    m_controls = row;
    m_controlsHolder->addWidget(row);
}

void RemindersView::rebuildList() {
    if (!m_listHolder || !m_content)
        return;
    if (m_list) {
        m_listHolder->removeWidget(m_list);
        m_list->hide();
        m_list->deleteLater();
    }
    QWidget* list = nullptr;
    if (m_service.items().isEmpty()) {
        auto* empty = plainLabel(QStringLiteral("nothing pending \u2014 nice."),
                                 BrimlarkTheme::monoMedium11(), BrimlarkTheme::textSecondary(), m_content);
        empty->setObjectName(QStringLiteral("emptyText"));
        empty->setAlignment(Qt::AlignCenter);
        empty->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        list = empty;
    } else {
        auto* scroll = new QScrollArea(m_content);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidgetResizable(true);
        scroll->viewport()->setAutoFillBackground(false);
        auto* rowsBox = new QWidget(scroll);
        auto* rows = new QVBoxLayout(rowsBox);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(4);
        for (const ReminderItem& item : m_service.items())
            rows->addWidget(buildRow(item));
        rows->addStretch(1);
        scroll->setWidget(rowsBox);
        rowsBox->setAutoFillBackground(false);
        list = scroll;
    }
    m_list = list;
    m_listHolder->addWidget(list, 1);
}

QWidget* RemindersView::buildRow(const ReminderItem& item) {
    auto* row = new RowBackground(!item.isCompleted, this);
    row->setObjectName(QStringLiteral("reminderRow"));
    row->setAccessibleName(item.title);
    row->setAccessibleDescription(item.isCompleted ? QStringLiteral("completed") : dueText(item));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(8);

    auto* button = new CompletionButton(item.isCompleted, row);
    const QString name = QStringLiteral("Mark ") + item.title +
                         (item.isCompleted ? QStringLiteral(" incomplete") : QStringLiteral(" complete"));
    button->setText(name);
    button->setAccessibleName(name);
    BrimlarkButtonStyle(0.86, 0.92).apply(button);
    QPointer<RemindersView> self(this);
    connect(button, &QAbstractButton::clicked, this, [self, item] {
        // As a task of its own: the toggle's refresh rebuilds the row that holds this button.
        QTimer::singleShot(0, self, [self, item] {
            if (!self)
                return;
            self->m_service.toggle(item, [self](const RemindersService::Outcome& outcome) {
                if (self && outcome.kind == RemindersService::Outcome::Kind::saved)
                    self->showError({});
            });
        });
    });
    layout->addWidget(button, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout();
    texts->setSpacing(0);
    QFont titleFont = BrimlarkTheme::monoRegular13();
    titleFont.setStrikeOut(item.isCompleted);
    auto* title =
        plainLabel(item.title, titleFont,
                   item.isCompleted ? BrimlarkTheme::textTertiary() : BrimlarkTheme::textPrimary(), row);
    title->setObjectName(QStringLiteral("reminderTitle"));
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(title);
    if (item.dueDate) {
        const bool overdue = !item.isCompleted && *item.dueDate < m_clock->now();
        QFont dueFont = BrimlarkTheme::monoRegular10();
        dueFont.setStyleHint(QFont::Monospace);
        auto* due = plainLabel(dueText(item), dueFont,
                               overdue ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary(), row);
        due->setObjectName(overdue ? QStringLiteral("overdue") : QStringLiteral("due"));
        texts->addWidget(due);
    }
    layout->addLayout(texts, 1);
    return row;
}
