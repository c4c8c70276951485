#include "ui/InspectorWidgets.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStylePainter>
#include <QTimer>

#include "runtime/FourCharCode.h"
#include "ui/ElidedLabel.h"
#include "ui/InspectorRow.h"
#include "ui/UiFonts.h"

namespace tavrin {

ElidingComboBox::ElidingComboBox(QWidget* parent) : QComboBox(parent), hold_(new QTimer(this)) {
    hold_->setSingleShot(true);
    hold_->setInterval(pickHoldMilliseconds);
    connect(this, &QComboBox::activated, this, [this](int index) {
        picked_ = index;
        hold_->start();
    });
    connect(hold_, &QTimer::timeout, this, [this] {
        picked_ = -1;
        showIndex(reported_);
    });
}

void ElidingComboBox::showReported(int index) {
    reported_ = index;
    if (picked_ >= 0) {
        if (picked_ != index && picked_ < count()) {
            showIndex(picked_);
            return;
        }
        releasePick();
    }
    showIndex(index);
}

void ElidingComboBox::releasePick() {
    picked_ = -1;
    hold_->stop();
}

void ElidingComboBox::showIndex(int index) {
    if (currentIndex() != index) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
    setToolTip(currentText());
}

void ElidingComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const auto text =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, text.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void ElidingComboBox::showPopup() {
    // The list may be wider than the closed picker, so every title reads whole.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}

QComboBox* makePicker(const QString& accessibleName, QWidget* parent) {
    auto* picker = new ElidingComboBox(parent);
    picker->setAccessibleName(accessibleName);
    picker->setFont(uiFont(FontRole::callout));
    picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    picker->setMinimumContentsLength(6);
    picker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return picker;
}

QCheckBox* makeSwitch(const QString& accessibleName, QWidget* parent) {
    auto* toggle = new QCheckBox(parent);
    toggle->setAccessibleName(accessibleName);
    return toggle;
}

ElidedLabel* makeIdentifierLabel(QWidget* parent) {
    auto* label = new ElidedLabel(Qt::ElideMiddle, parent);
    label->setFont(uiFont(FontRole::monospacedCallout));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void setPickerItems(QComboBox* picker, const QStringList& titles, int current) {
    QStringList present;
    for (int i = 0; i < picker->count(); ++i) {
        present.append(picker->itemText(i));
    }
    auto* eliding = qobject_cast<ElidingComboBox*>(picker);
    if (present != titles) {
        // Other choices (another format's rates): a pick among the old ones is no longer one.
        if (eliding) {
            eliding->releasePick();
        }
        const QSignalBlocker blocker(picker);
        picker->clear();
        picker->addItems(titles);
    }
    if (eliding) {
        eliding->showReported(current);
        return;
    }
    if (picker->currentIndex() != current) {
        const QSignalBlocker blocker(picker);
        picker->setCurrentIndex(current);
    }
    picker->setToolTip(picker->currentText());
}

TransportView::TransportView(QWidget* parent)
    : QWidget(parent), name_(new QLabel(this)), code_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    name_->setFont(uiFont(FontRole::callout));
    name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    code_->setFont(uiFont(FontRole::monospacedCallout));
    code_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    applyTextStyle(code_, TextStyle::secondary);
    layout->addWidget(name_);
    layout->addWidget(code_);
    layout->addStretch(1);
}

void TransportView::setTransport(CaptureTransportType transport) {
    const auto name = transport.displayName();
    name_->setVisible(name.has_value());
    name_->setText(name.value_or(QString()));
    code_->setText(hfsTypeCodeText(FourCharCode(std::uint32_t(transport.rawValue))));
}

QString TransportView::text() const {
    return name_->isVisibleTo(this) ? name_->text() + QLatin1Char(' ') + code_->text()
                                    : code_->text();
}

}  // namespace tavrin
