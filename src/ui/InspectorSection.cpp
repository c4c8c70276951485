#include "ui/InspectorSection.h"

#include <QEvent>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/InspectorRow.h"
#include "ui/Settings.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

// Tells every open section of a title when one of them is opened or closed, so that two windows
// showing the same section stay alike. Holds no state.
class ExpansionBroadcast final : public QObject {
    Q_OBJECT
public:
    static ExpansionBroadcast& instance() {
        static ExpansionBroadcast broadcast;
        return broadcast;
    }

signals:
    void changed(const QString& title, bool expanded);
};

bool storedExpansion(const QString& title, bool fallback) {
    const auto value = openSettings()->value(SettingsKey::inspectorSectionExpanded(title));
    // A damaged value is as good as none.
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    const auto text = value.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false")) {
        return text == QLatin1String("true");
    }
    return fallback;
}

}  // namespace

InspectorSection::InspectorSection(const QString& title, bool initiallyExpanded, QWidget* parent)
    : QWidget(parent),
      title_(title),
      expanded_(storedExpansion(title, initiallyExpanded)),
      header_(new QWidget(this)),
      toggle_(new QPushButton(header_)),
      toggleOpacity_(new QGraphicsOpacityEffect(toggle_)),
      fade_(new QPropertyAnimation(toggleOpacity_, "opacity", this)),
      content_(new QWidget(this)),
      rows_(new QVBoxLayout(content_)),
      openClose_(new QPropertyAnimation(content_, "maximumHeight", this)) {
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* headerLayout = new QHBoxLayout(header_);
    headerLayout->setContentsMargins(10, 10, 10, 4);
    headerLayout->setSpacing(6);
    auto* titleLabel = new QLabel(title, header_);
    auto font = uiFont(FontRole::callout);
    font.setWeight(QFont::DemiBold);
    titleLabel->setFont(font);
    applyTextStyle(titleLabel, TextStyle::secondary);
    headerLayout->addWidget(titleLabel);
    headerLayout->addStretch(1);
    toggle_->setFlat(true);
    toggle_->setFont(font);
    toggle_->setCursor(Qt::PointingHandCursor);
    toggle_->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0 2px; }"));
    applyTextStyle(toggle_, TextStyle::secondary);
    toggle_->setForegroundRole(QPalette::PlaceholderText);
    {
        // Flat buttons draw their text in ButtonText.
        auto palette = toggle_->palette();
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::PlaceholderText));
        toggle_->setPalette(palette);
    }
    toggleOpacity_->setOpacity(0);
    toggle_->setGraphicsEffect(toggleOpacity_);
    fade_->setDuration(fadeMilliseconds);
    fade_->setEasingCurve(QEasingCurve::InOutQuad);
    headerLayout->addWidget(toggle_);
    header_->setAttribute(Qt::WA_Hover);
    header_->installEventFilter(this);
    layout->addWidget(header_);

    rows_->setContentsMargins(0, 0, 0, 4);
    rows_->setSpacing(0);
    layout->addWidget(content_);
    openClose_->setDuration(openMilliseconds);
    openClose_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(openClose_, &QPropertyAnimation::finished, this, [this] {
        content_->setVisible(expanded_);
        content_->setMaximumHeight(QWIDGETSIZE_MAX);
    });

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    auto* dividerOpacity = new QGraphicsOpacityEffect(divider);
    dividerOpacity->setOpacity(0.5);
    divider->setGraphicsEffect(dividerOpacity);
    auto* dividerRow = new QHBoxLayout;
    dividerRow->setContentsMargins(10, 0, 10, 0);
    dividerRow->addWidget(divider);
    layout->addLayout(dividerRow);

    connect(toggle_, &QPushButton::clicked, this, [this] { setExpanded(!expanded_); });
    connect(&ExpansionBroadcast::instance(), &ExpansionBroadcast::changed, this,
            [this](const QString& changedTitle, bool expanded) {
                if (changedTitle == title_ && expanded != expanded_) {
                    expanded_ = expanded;
                    apply(isVisible());
                    emit expandedChanged(expanded_);
                }
            });
    apply(false);
}

qreal InspectorSection::toggleOpacity() const {
    return toggleOpacity_->opacity();
}

void InspectorSection::addRow(QWidget* row) {
    rows_->addWidget(row);
}

void InspectorSection::setExpanded(bool expanded) {
    if (expanded == expanded_) {
        return;
    }
    expanded_ = expanded;
    openSettings()->setValue(SettingsKey::inspectorSectionExpanded(title_), expanded_);
    apply(isVisible());
    emit expandedChanged(expanded_);
    emit ExpansionBroadcast::instance().changed(title_, expanded_);
}

void InspectorSection::apply(bool animated) {
    toggle_->setText(expanded_ ? QStringLiteral("Hide") : QStringLiteral("Show"));
    toggle_->setAccessibleName((expanded_ ? QStringLiteral("Hide ") : QStringLiteral("Show ")) +
                               title_);
    openClose_->stop();
    if (!animated) {
        content_->setMaximumHeight(QWIDGETSIZE_MAX);
        content_->setVisible(expanded_);
        return;
    }
    const int full = content_->sizeHint().height();
    if (expanded_) {
        content_->setMaximumHeight(0);
        content_->setVisible(true);
        openClose_->setStartValue(0);
        openClose_->setEndValue(full);
    } else {
        openClose_->setStartValue(content_->height());
        openClose_->setEndValue(0);
    }
    openClose_->start();
}

bool InspectorSection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == header_) {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::Enter) {
            setHovering(true);
        } else if (event->type() == QEvent::HoverLeave || event->type() == QEvent::Leave) {
            setHovering(false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void InspectorSection::setHovering(bool hovering) {
    const qreal target = hovering ? 1.0 : 0.0;
    if (fade_->endValue() == target && fade_->state() == QAbstractAnimation::Running) {
        return;
    }
    fade_->stop();
    fade_->setStartValue(toggleOpacity_->opacity());
    fade_->setEndValue(target);
    fade_->start();
}

}  // namespace tavrin

#include "InspectorSection.moc"
