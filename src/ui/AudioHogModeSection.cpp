#include "ui/AudioHogModeSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "audio/AudioHogModeController.h"
#include "ui/InspectorRow.h"
#include "ui/SectionPanel.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

using Kind = HogModeState::Kind;

bool isHeld(Kind kind) {
    return kind == Kind::hoggedWithCountdown || kind == Kind::hoggedIndefinitely;
}

}  // namespace

AudioHogModeSection::AudioHogModeSection(AudioHogModeController& controller,
                                         const QString& deviceLabel, QWidget* parent)
    : QWidget(parent),
      controller_(controller),
      deviceLabel_(deviceLabel),
      icon_(new QLabel(this)),
      title_(new QLabel(this)),
      status_(new QLabel(this)),
      explanation_(makeValueLabel({}, FontRole::caption, TextStyle::secondary, this)),
      take_(SectionPanel::makeButton(QStringLiteral("Take Exclusive Access"),
                                     QStringLiteral("lock.shield.fill"), this)),
      keep_(SectionPanel::makeButton(QStringLiteral("Keep Exclusive"), {}, this)),
      release_(SectionPanel::makeButton(QStringLiteral("Release"), {}, this)) {
    setAccessibleName(QStringLiteral("Exclusive Access"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(SectionPanel::padding, SectionPanel::padding, SectionPanel::padding,
                            SectionPanel::padding);
    row->setSpacing(SectionPanel::spacing);
    icon_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    row->addWidget(icon_, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    row->addLayout(column, 1);
    title_->setTextFormat(Qt::PlainText);
    status_->setTextFormat(Qt::PlainText);
    status_->setFont(uiFont(FontRole::subheadline, QFont::Medium));
    auto palette = status_->palette();
    palette.setColor(QPalette::WindowText, redColor(palette));
    status_->setPalette(palette);
    column->addWidget(title_);
    column->addWidget(status_);
    column->addWidget(explanation_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(SectionPanel::spacing);
    buttons->addWidget(take_);
    buttons->addWidget(keep_);
    buttons->addWidget(release_);
    buttons->addStretch(1);
    column->addSpacing(SectionPanel::spacing - 4);
    column->addLayout(buttons);
    // Escape gives the device back; the shortcut lives only while the button shows.
    release_->setShortcut(QKeySequence(Qt::Key_Escape));
    release_->setToolTip(QStringLiteral("Release (Esc)"));

    connect(take_, &QPushButton::clicked, &controller_, &AudioHogModeController::take);
    connect(keep_, &QPushButton::clicked, &controller_, &AudioHogModeController::keepIndefinitely);
    connect(release_, &QPushButton::clicked, &controller_, &AudioHogModeController::release);
    connect(&controller_, &AudioHogModeController::stateChanged, this,
            &AudioHogModeSection::refresh);
    refresh();
}

QString AudioHogModeSection::title() const {
    return title_->text();
}

QString AudioHogModeSection::statusText() const {
    return status_->isVisibleTo(this) ? status_->text() : QString();
}

QString AudioHogModeSection::explanation() const {
    return explanation_->text();
}

void AudioHogModeSection::refresh() {
    const auto& state = controller_.state();
    const bool held = isHeld(state.kind);
    const bool counting = state.kind == Kind::hoggedWithCountdown;
    const auto secondary = palette().color(QPalette::PlaceholderText);
    switch (state.kind) {
        case Kind::notHogged:
            SectionPanel::setSymbol(icon_, QStringLiteral("lock.shield"), FontRole::title3,
                                    secondary);
            title_->setText(QStringLiteral("Exclusive access released"));
            title_->setFont(uiFont(FontRole::subheadline, QFont::Medium));
            explanation_->setText(QStringLiteral("Take exclusive sound server access (`hog mode`) "
                                                 "to test how other apps react when this ") +
                                  deviceLabel_ + QStringLiteral(" is held by a single process."));
            break;
        case Kind::taking:
            SectionPanel::setSymbol(icon_, QStringLiteral("lock.shield"), FontRole::title3,
                                    secondary);
            title_->setText(QStringLiteral("Taking exclusive access\u2026"));
            title_->setFont(uiFont(FontRole::headline));
            explanation_->setText(
                QStringLiteral("The sound server has the request and has not answered yet. "
                               "Release to withdraw it."));
            break;
        case Kind::hoggedWithCountdown:
        case Kind::hoggedIndefinitely:
            SectionPanel::setSymbol(icon_, QStringLiteral("lock.shield.fill"), FontRole::title,
                                    redColor(palette()));
            title_->setText(QStringLiteral("Exclusive access held"));
            title_->setFont(uiFont(FontRole::headline));
            status_->setText(counting ? QStringLiteral("Auto-releases in %1 s").arg(state.remaining)
                                      : QStringLiteral("Held indefinitely"));
            explanation_->setText(QStringLiteral("No other process can open this ") + deviceLabel_ +
                                  QStringLiteral(" for IO until we release. Capture stream starts "
                                                 "in other apps will fail."));
            break;
    }
    icon_->setFixedWidth(held ? 28 : 24);
    status_->setVisible(held);
    take_->setVisible(state.kind == Kind::notHogged);
    take_->setEnabled(state.kind == Kind::notHogged && controller_.isDeviceResolvable());
    keep_->setVisible(counting);
    release_->setVisible(state.kind != Kind::notHogged);
    update();
}

void AudioHogModeSection::paintEvent(QPaintEvent*) {
    if (isHeld(controller_.state().kind)) {
        const auto red = redColor(palette());
        SectionPanel::paint(this, withOpacity(red, 0.12), withOpacity(red, 0.45));
    } else {
        SectionPanel::paint(this, withOpacity(quaternaryColor(palette()), 0.4));
    }
}

}  // namespace tavrin
