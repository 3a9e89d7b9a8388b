#include "Brimlark/pages/AdvancedModeView.h"

#include "Brimlark/aihooks/AIHooksView.h"
#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/organizer/CalendarView.h"
#include "Brimlark/organizer/NotesView.h"
#include "Brimlark/organizer/RemindersView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

AdvancedModeView::AdvancedModeView(Inputs inputs, QWidget* parent)
    : QWidget(parent), m_inputs(std::move(inputs)) {
    const auto page = static_cast<AdvancedPage>(currentPage());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 4, 16, 8);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout();
    header->setSpacing(8);
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(AdvancedPages::symbolName(page), BrimlarkTheme::warning(), QSize(16, 16),
                                 devicePixelRatioF()));
    header->addWidget(icon);
    auto* titles = new QVBoxLayout();
    titles->setSpacing(1);
    titles->addWidget(plainLabel(QStringLiteral("advanced"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), this));
    titles->addWidget(plainLabel(AdvancedPages::title(page), BrimlarkTheme::monoSemibold16(),
                                 BrimlarkTheme::textPrimary(), this));
    header->addLayout(titles);
    header->addStretch(1);

    auto* previous =
        new PanelIconButton(QStringLiteral("chevron.left"), QStringLiteral("Previous page"), 26, this);
    auto* next = new PanelIconButton(QStringLiteral("chevron.right"), QStringLiteral("Next page"), 26, this);
    auto* close = new PanelIconButton(QStringLiteral("xmark"), QStringLiteral("Close"), 26, this);
    connect(previous, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.interactionEngine)
            m_inputs.interactionEngine->previousPage(AdvancedPages::pageCount);
    });
    connect(next, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.interactionEngine)
            m_inputs.interactionEngine->nextPage(AdvancedPages::pageCount);
    });
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.onClose)
            m_inputs.onClose();
    });
    header->setSpacing(2);
    header->addWidget(previous);
    header->addWidget(next);
    header->addWidget(close);
    layout->addLayout(header);

    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, BrimlarkTheme::mutedFill());
    divider->setPalette(dividerPalette);
    layout->addWidget(divider);

    if (page == AdvancedPage::aiHooks && m_inputs.aiHooks) {
        layout->addWidget(new AIHooksView(*m_inputs.aiHooks, m_inputs.onOpenSettings, this), 1);
    } else if (page == AdvancedPage::calendar && m_inputs.calendar && m_inputs.permissions) {
        layout->addWidget(new CalendarView(*m_inputs.calendar, *m_inputs.permissions, this), 1);
    } else if (page == AdvancedPage::reminders && m_inputs.reminders && m_inputs.permissions) {
        layout->addWidget(new RemindersView(*m_inputs.reminders, *m_inputs.permissions, nullptr, this), 1);
    } else if (page == AdvancedPage::notes && m_inputs.notes) {
        layout->addWidget(new NotesView(*m_inputs.notes, m_inputs.workspace, this), 1);
    } else {
        auto* placeholder = plainLabel(AdvancedPages::title(page), BrimlarkTheme::monoMedium13(),
                                       BrimlarkTheme::textTertiary(), this);
        placeholder->setAlignment(Qt::AlignCenter);
        layout->addWidget(placeholder, 1);
    }
    // Room for the page dots painted below.
    layout->addSpacing(13);
}

int AdvancedModeView::currentPage() const {
    return std::clamp(m_inputs.page, 0, AdvancedPages::pageCount - 1);
}

QRectF AdvancedModeView::dotsRect() const {
    const double width = 16 + (AdvancedPages::pageCount - 1) * (5 + 8);
    return QRectF((this->width() - width) / 2.0, height() - 8 - 5 - 4, width, 5);
}

void AdvancedModeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    double x = dotsRect().left();
    const double y = dotsRect().top();
    for (int i = 0; i < AdvancedPages::pageCount; ++i) {
        const bool active = i == m_inputs.page;
        const double width = active ? 16 : 5;
        QColor color = active ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary();
        if (!active)
            color.setAlphaF(0.5f);
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(x, y, width, 5), 2.5, 2.5);
        x += width + 8;
    }
}
