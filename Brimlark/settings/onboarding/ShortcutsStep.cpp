#include "Brimlark/settings/onboarding/ShortcutsStep.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"
#include "Brimlark/settings/onboarding/ShortcutVisual.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

using Token = ShortcutToken;

OnboardingCard* card(QWidget* parent) {
    return new OnboardingCard({BrimlarkTheme::surface(), BrimlarkTheme::stroke(), 10}, false, parent);
}

} // namespace

ShortcutsStep::ShortcutsStep(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(plainLabel(tr("move at the speed of muscle memory"), BrimlarkTheme::monoSemibold16(),
                                 BrimlarkTheme::textPrimary(), this));
    auto* blurb =
        plainLabel(tr("brimlark is not keyboard first, but it is keyboard friendly. tap, hover, swipe, "
                      "or lean on shortcuts whenever your hands already know what to do."),
                   BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    blurb->setWordWrap(true);
    column->addWidget(blurb);

    auto* shortcuts = new QVBoxLayout();
    shortcuts->setSpacing(8);
    shortcuts->addWidget(shortcutCard(
        QStringLiteral("open advanced mode"),
        new ShortcutVisual({Token::command(), Token::shift(), Token::character(QStringLiteral("N"))})));
    shortcuts->addWidget(shortcutCard(
        QStringLiteral("open basic mode"),
        new ShortcutVisual({Token::command(), Token::option(), Token::character(QStringLiteral("N"))})));
    auto* paging = new QWidget();
    auto* pagingRow = new QHBoxLayout(paging);
    pagingRow->setContentsMargins(0, 0, 0, 0);
    pagingRow->setSpacing(8);
    pagingRow->addWidget(new ShortcutVisual({Token::command(), Token::text(QStringLiteral("Left"))}, paging));
    pagingRow->addWidget(
        plainLabel(tr("or"), BrimlarkTheme::monoSemibold11(), BrimlarkTheme::textTertiary(), paging));
    pagingRow->addWidget(
        new ShortcutVisual({Token::command(), Token::text(QStringLiteral("Right"))}, paging));
    shortcuts->addWidget(shortcutCard(QStringLiteral("move page by page"), paging));
    shortcuts->addWidget(
        shortcutCard(QStringLiteral("hide"), new ShortcutVisual({Token::text(QStringLiteral("Esc"))})));
    column->addLayout(shortcuts);

    auto* gestures = new QVBoxLayout();
    gestures->setSpacing(8);
    gestures->addWidget(plainLabel(tr("inside the panel"), BrimlarkTheme::monoSemibold11(),
                                   BrimlarkTheme::textSecondary(), this));
    gestures->addWidget(gestureCard(QStringLiteral("arrow.down.circle.fill"), BrimlarkTheme::warning(),
                                    QStringLiteral("two-finger swipe down"),
                                    QStringLiteral("open basic first, then go deeper into advanced.")));
    gestures->addWidget(
        gestureCard(QStringLiteral("arrow.up.circle.fill"), BrimlarkTheme::accent(),
                    QStringLiteral("two-finger swipe up"),
                    QStringLiteral("step back from advanced to basic, then close the notch.")));
    gestures->addWidget(gestureCard(QStringLiteral("arrow.left.and.right.circle.fill"),
                                    BrimlarkTheme::warning(),
                                    QStringLiteral("two-finger swipe left or right"),
                                    QStringLiteral("move one page at a time inside advanced.")));
    gestures->addWidget(
        gestureCard(QStringLiteral("hand.draw.fill"), BrimlarkTheme::warning(),
                    QStringLiteral("hover or click the notch"),
                    QStringLiteral("hover opens basic. click uses your preferred open mode.")));
    column->addLayout(gestures);
    column->addStretch(1);
}

QWidget* ShortcutsStep::shortcutCard(const QString& title, QWidget* keys) {
    OnboardingCard* box = card(this);
    box->setObjectName(QStringLiteral("shortcutCard"));
    box->setAccessibleName(title);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(12, 12, 12, 12);
    row->addWidget(plainLabel(title, BrimlarkTheme::monoRegular13(), BrimlarkTheme::textPrimary(), box));
    row->addStretch(1);
    keys->setParent(box);
    row->addWidget(keys);
    return box;
}

QWidget* ShortcutsStep::gestureCard(const QString& symbol, const QColor& tint, const QString& gesture,
                                    const QString& explanation) {
    OnboardingCard* box = card(this);
    box->setObjectName(QStringLiteral("gestureCard"));
    box->setAccessibleName(gesture);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    row->addWidget(OnboardingCard::symbol(symbol, tint, 13, 24, box), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(3);
    texts->addWidget(plainLabel(gesture, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), box));
    auto* line = plainLabel(explanation, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), box);
    line->setWordWrap(true);
    texts->addWidget(line);
    row->addLayout(texts, 1);
    return box;
}
