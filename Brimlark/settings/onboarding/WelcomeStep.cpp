#include "Brimlark/settings/onboarding/WelcomeStep.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

using Mode = AppState::DefaultOpenMode;

// The product's tile: the notch symbol on a rounded square washed from cyan to orange.
class IconTile : public QWidget {
public:
    explicit IconTile(QWidget* parent) : QWidget(parent) { setFixedSize(96, 96); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient wash(rect().topLeft(), rect().bottomRight());
        wash.setColorAt(0, ColorBlend::faded(BrimlarkTheme::accent(), 0.18));
        wash.setColorAt(1, ColorBlend::faded(BrimlarkTheme::warning(), 0.14));
        QPainterPath tile;
        tile.addRoundedRect(QRectF(rect()), 20, 20);
        painter.fillPath(tile, wash);
        paintSymbol(painter, QRectF(26, 26, 44, 44), QStringLiteral("rectangle.topthird.inset.filled"),
                    BrimlarkTheme::accent());
    }
};

} // namespace

WelcomeStep::WelcomeStep(AppState& appState, QWidget* parent) : QWidget(parent), m_appState(appState) {
    setMinimumHeight(520);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(new IconTile(this), 0, Qt::AlignHCenter);

    auto* greeting = new QVBoxLayout();
    greeting->setSpacing(8);
    greeting->addWidget(plainLabel(tr("welcome to brimlark"), BrimlarkTheme::monoBold20(),
                                   BrimlarkTheme::textPrimary(), this),
                        0, Qt::AlignHCenter);
    auto* blurb = plainLabel(tr("calendar, media, controls, and coding updates live here."),
                             BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    blurb->setAlignment(Qt::AlignCenter);
    blurb->setWordWrap(true);
    blurb->setContentsMargins(16, 0, 16, 0);
    greeting->addWidget(blurb);
    column->addLayout(greeting);
    // Onboarding is back because the settings file could not be read: the step says so, and where
    // the old file is.
    if (const QString line = appState.setAsideLine(); !line.isEmpty()) {
        auto* setAside = plainLabel(line, BrimlarkTheme::monoMedium11(), BrimlarkTheme::warning(), this);
        setAside->setObjectName(QStringLiteral("setAsideLine"));
        setAside->setAlignment(Qt::AlignCenter);
        setAside->setWordWrap(true);
        setAside->setTextInteractionFlags(Qt::TextSelectableByMouse);
        setAside->setContentsMargins(16, 0, 16, 0);
        column->addWidget(setAside);
    }

    auto* question = new QWidget(this);
    question->setFixedWidth(440);
    auto* questionColumn = new QVBoxLayout(question);
    questionColumn->setContentsMargins(0, 0, 0, 0);
    questionColumn->setSpacing(8);
    questionColumn->addWidget(plainLabel(tr("start in"), BrimlarkTheme::monoSemibold11(),
                                         BrimlarkTheme::textSecondary(), question));
    auto* cards = new QHBoxLayout();
    cards->setSpacing(8);
    m_choices = {{Mode::basic, QStringLiteral("rectangle.bottomthird.inset.filled")},
                 {Mode::advanced, QStringLiteral("rectangle.topthird.inset.filled")}};
    cards->addWidget(openModeCard(m_choices[0], QStringLiteral("media first")), 1);
    cards->addWidget(openModeCard(m_choices[1], QStringLiteral("full dashboard")), 1);
    questionColumn->addLayout(cards);
    column->addWidget(question, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(&appState, &AppState::defaultOpenModeChanged, this, &WelcomeStep::showSelection);
    showSelection();
}

QWidget* WelcomeStep::openModeCard(Choice& choice, const QString& title) {
    auto* card = new OnboardingCard({}, true, this);
    card->setCheckable(true);
    card->setText(title);
    card->setAccessibleName(title);
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(8);
    choice.icon = new QLabel(card);
    stack->addWidget(choice.icon, 0, Qt::AlignLeft);
    stack->addWidget(
        plainLabel(choice.mode == Mode::advanced ? QStringLiteral("advanced") : QStringLiteral("basic"),
                   BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), card));
    stack->addWidget(plainLabel(title, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), card));
    choice.card = card;
    const Mode mode = choice.mode;
    connect(card, &QAbstractButton::clicked, this, [this, mode] { selectOpenMode(mode); });
    return card;
}

void WelcomeStep::selectOpenMode(AppState::DefaultOpenMode mode) {
    m_appState.setDefaultOpenMode(mode);
    // A click toggled the card; the setting decides what is checked.
    showSelection();
}

void WelcomeStep::showSelection() {
    for (const Choice& choice : std::as_const(m_choices)) {
        const bool selected = m_appState.defaultOpenMode() == choice.mode;
        choice.card->setChecked(selected);
        choice.card->setLook(
            {selected ? ColorBlend::faded(BrimlarkTheme::warning(), 0.16) : BrimlarkTheme::surface(),
             selected ? BrimlarkTheme::warning() : BrimlarkTheme::stroke(), 10});
        choice.icon->setPixmap(
            symbolPixmap(choice.symbol, selected ? BrimlarkTheme::accent() : BrimlarkTheme::textSecondary(),
                         QSize(18, 18), devicePixelRatioF()));
    }
}
