#include "ui/ConfigurationLockSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "camera/ConfigurationLockController.h"
#include "ui/InspectorRow.h"
#include "ui/SectionPanel.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

ConfigurationLockSection::ConfigurationLockSection(ConfigurationLockController& controller,
                                                   const QString& deviceLabel, QWidget* parent)
    : QWidget(parent),
      controller_(controller),
      deviceLabel_(deviceLabel),
      icon_(new QLabel(this)),
      title_(new QLabel(this)),
      status_(new QLabel(this)),
      explanation_(makeValueLabel({}, FontRole::caption, TextStyle::secondary, this)),
      lock_(SectionPanel::makeButton(QStringLiteral("Lock Configuration"), QStringLiteral("lock"),
                                     this)),
      keepLocked_(SectionPanel::makeButton(QStringLiteral("Keep Locked"), {}, this)),
      unlock_(SectionPanel::makeButton(QStringLiteral("Unlock"), {}, this)) {
    setAccessibleName(QStringLiteral("Configuration Lock"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(SectionPanel::padding, SectionPanel::padding, SectionPanel::padding,
                            SectionPanel::padding);
    row->setSpacing(SectionPanel::spacing);
    icon_->setFixedWidth(24);
    icon_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    row->addWidget(icon_, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    row->addLayout(column, 1);
    title_->setTextFormat(Qt::PlainText);
    status_->setTextFormat(Qt::PlainText);
    status_->setFont(uiFont(FontRole::subheadline, QFont::Medium));
    auto palette = status_->palette();
    palette.setColor(QPalette::WindowText, tintColor(StatusTint::orange, palette));
    status_->setPalette(palette);
    column->addWidget(title_);
    column->addWidget(status_);
    column->addWidget(explanation_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(SectionPanel::spacing);
    buttons->addWidget(lock_);
    buttons->addWidget(keepLocked_);
    buttons->addWidget(unlock_);
    buttons->addStretch(1);
    column->addSpacing(SectionPanel::spacing - 4);
    column->addLayout(buttons);

    connect(lock_, &QPushButton::clicked, &controller_, &ConfigurationLockController::lock);
    connect(keepLocked_, &QPushButton::clicked, &controller_,
            &ConfigurationLockController::keepLocked);
    connect(unlock_, &QPushButton::clicked, &controller_, &ConfigurationLockController::unlock);
    connect(&controller_, &ConfigurationLockController::stateChanged, this,
            &ConfigurationLockSection::refresh);
    refresh();
}

QString ConfigurationLockSection::title() const {
    return title_->text();
}

QString ConfigurationLockSection::statusText() const {
    return status_->isVisibleTo(this) ? status_->text() : QString();
}

QString ConfigurationLockSection::explanation() const {
    return explanation_->text();
}

void ConfigurationLockSection::refresh() {
    const auto& state = controller_.state();
    const bool locked = state.isLocked();
    const bool counting = state.kind == ConfigurationLockState::Kind::lockedWithCountdown;
    SectionPanel::setSymbol(icon_,
                            locked ? QStringLiteral("lock.fill") : QStringLiteral("lock.open"),
                            FontRole::title3, palette().color(QPalette::WindowText));
    if (locked) {
        title_->setText(QStringLiteral("Configuration locked"));
        title_->setFont(uiFont(FontRole::headline));
        status_->setText(counting ? QStringLiteral("Auto-unlocks in %1 s").arg(state.remaining)
                                  : QStringLiteral("Held indefinitely"));
        explanation_->setText(
            QStringLiteral("Other processes that try to take the configuration lock of this ") +
            deviceLabel_ + QStringLiteral(" will fail until we release the lock."));
    } else {
        title_->setText(QStringLiteral("Configuration is unlocked"));
        title_->setFont(uiFont(FontRole::subheadline, QFont::Medium));
        explanation_->setText(
            QStringLiteral("Hold the device's configuration lock to test how other apps react "
                           "when this ") +
            deviceLabel_ + QStringLiteral("'s configuration is contended."));
    }
    status_->setVisible(locked);
    lock_->setVisible(!locked);
    keepLocked_->setVisible(counting);
    unlock_->setVisible(locked);
}

void ConfigurationLockSection::paintEvent(QPaintEvent*) {
    SectionPanel::paint(this, withOpacity(quaternaryColor(palette()), 0.4));
}

}  // namespace tavrin
