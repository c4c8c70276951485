#include "ui/UVCInspectorSection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/InspectorWidgets.h"
#include "ui/UiFonts.h"
#include "ui/WindowState.h"

namespace tavrin {

UVCInspectorSection::UVCInspectorSection(MainThreadQueue& queue,
                                         std::shared_ptr<UVCSession> controller, WindowState& state,
                                         QWidget* parent)
    : QWidget(parent), model_(queue, std::move(controller), state.isCameraPreviewEnabled()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(&model_, &UVCControlsModel::controlsChanged, this, [this] {
        build();
        refresh();
    });
    connect(&model_, &UVCControlsModel::valuesChanged, this, &UVCInspectorSection::refresh);
    connect(&state, &WindowState::cameraPreviewEnabledChanged, this,
            [this, &state] { model_.setCameraPreviewEnabled(state.isCameraPreviewEnabled()); });
    refresh();
}

UVCInspectorSection::~UVCInspectorSection() {
    model_.setShown(false);
}

void UVCInspectorSection::build() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    for (const auto& section : model_.sections()) {
        auto* view = new InspectorSection(section.title, true, this);
        sections_.append(view);
        layout->addWidget(view);
        for (const auto& row : section.rows) {
            using Kind = UVCControlsModel::RowKind;
            switch (row.kind) {
                case Kind::slider: {
                    auto* slider = new InspectorSliderRow(row.label, row.minimum, row.maximum);
                    const auto id = *row.control;
                    connect(slider, &InspectorSliderRow::valueEdited, this,
                            [this, id](double value) { model_.setSliderValue(id, value); });
                    sliders_.insert(id, slider);
                    view->addRow(slider);
                    break;
                }
                case Kind::toggle: {
                    auto* toggle = makeSwitch(row.label);
                    const auto id = *row.control;
                    connect(toggle, &QCheckBox::clicked, this,
                            [this, id](bool on) { model_.setToggle(id, on); });
                    toggles_.insert(id, toggle);
                    view->addRow(new InspectorRow(row.label, toggle));
                    break;
                }
                case Kind::picker: {
                    auto* picker = makePicker(row.label);
                    const auto id = *row.control;
                    QStringList titles;
                    for (const auto& choice : row.choices) {
                        titles.append(choice.label);
                    }
                    setPickerItems(picker, titles, -1);
                    connect(picker, &QComboBox::activated, this, [this, id](int index) {
                        const auto choices = UVCControlsModel::choices(id);
                        if (index >= 0 && index < choices.size()) {
                            model_.choose(id, choices[index].value);
                        }
                    });
                    pickers_.insert(id, picker);
                    view->addRow(new InspectorRow(row.label, picker));
                    break;
                }
                case Kind::readout: {
                    auto* readout =
                        new InspectorRow(row.label, FontRole::footnote, TextStyle::secondary);
                    privacy_ = readout->valueLabel();
                    view->addRow(readout);
                    break;
                }
                case Kind::reset: {
                    auto* button = new QPushButton(QStringLiteral("Restore Defaults"));
                    button->setAccessibleName(QStringLiteral("Restore Defaults of ") +
                                              section.title);
                    auto* box = new QWidget;
                    auto* boxLayout = new QHBoxLayout(box);
                    boxLayout->setContentsMargins(0, 0, 0, 0);
                    boxLayout->addWidget(button);
                    boxLayout->addStretch(1);
                    const auto controls = section.resettable;
                    connect(button, &QPushButton::clicked, this,
                            [this, controls] { model_.restoreDefaults(controls); });
                    view->addRow(new InspectorRow(row.label, box));
                    break;
                }
            }
        }
    }
}

InspectorSection* UVCInspectorSection::section(const QString& title) const {
    for (auto* section : sections_) {
        if (section->title() == title) {
            return section;
        }
    }
    return nullptr;
}

void UVCInspectorSection::refresh() {
    if (!model_.isProbed()) {
        return;
    }
    const auto& values = model_.values();
    for (const auto& section : model_.sections()) {
        for (const auto& row : section.rows) {
            using Kind = UVCControlsModel::RowKind;
            if (row.kind == Kind::slider) {
                auto* slider = sliders_.value(*row.control);
                slider->setRange(row.minimum, row.maximum);
                slider->setValue(double(values.get(*row.control)));
                slider->setReadout(row.valueText);
                slider->setEnabled(row.isEnabled);
            } else if (row.kind == Kind::toggle) {
                auto* toggle = toggles_.value(*row.control);
                toggle->setChecked(values.get(*row.control) != 0);
                toggle->setEnabled(row.isEnabled);
            } else if (row.kind == Kind::picker) {
                auto* picker = pickers_.value(*row.control);
                int current = -1;
                for (int i = 0; i < row.choices.size(); ++i) {
                    if (row.choices[i].value == values.get(*row.control)) {
                        current = i;
                    }
                }
                QStringList titles;
                for (const auto& choice : row.choices) {
                    titles.append(choice.label);
                }
                setPickerItems(picker, titles, current);
                picker->setEnabled(row.isEnabled);
            } else if (row.kind == Kind::readout && privacy_) {
                privacy_->setText(row.valueText);
            }
        }
    }
}

void UVCInspectorSection::setDeviceReachable(bool reachable) {
    reachable_ = reachable;
    updateShown();
}

void UVCInspectorSection::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateShown();
}

void UVCInspectorSection::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateShown();
}

void UVCInspectorSection::updateShown() {
    model_.setShown(reachable_ && isVisible());
}

}  // namespace tavrin
