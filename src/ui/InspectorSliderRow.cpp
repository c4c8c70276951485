#include "ui/InspectorSliderRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "ui/SparklineView.h"
#include "ui/UiFonts.h"

namespace tavrin {

std::optional<double> parseSliderEntry(const QString& text, double lower, double upper) {
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    const auto trimmed = QStringView(text).mid(first, last - first);
    // Digits in other scripts are no C-locale number.
    if (trimmed.isEmpty() ||
        std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.unicode() > 0x7e; })) {
        return std::nullopt;
    }
    const QByteArray bytes = trimmed.toLatin1();
    // from_chars reads the C locale's form whatever the user's locale, and tells where it
    // stopped; it takes no leading "+", which a C-locale reader accepts.
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+') {
        ++begin;
        if (begin == end || *begin == '-') {
            return std::nullopt;
        }
    }
    double parsed = 0;
    const auto [stop, error] = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(parsed)) {
        return std::nullopt;
    }
    return std::clamp(parsed, std::min(lower, upper), std::max(lower, upper));
}

QString sliderEditStartText(double value) {
    const double magnitude = std::abs(value);
    const char* format = magnitude >= 100 ? "%.0f" : magnitude >= 10 ? "%.1f" : "%.2f";
    // The C library's formatting, which rounds an exact tie to even as the platform's does
    // (42.25 gives 42.2); Qt's own formatter rounds it up.
    char text[400];  // the longest "%.0f" of a double has 309 digits
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

namespace {

// Slider positions: whole-number ranges one step per unit, others in a thousand steps.
constexpr int fractionalSteps = 1000;

}  // namespace

InspectorSliderRow::InspectorSliderRow(const QString& label, double lower, double upper,
                                       bool showSparkline, QWidget* parent)
    : InspectorRow(label, new QWidget, parent),
      lower_(std::min(lower, upper)),
      upper_(std::max(lower, upper)),
      value_(lower_),
      slider_(new QSlider(Qt::Horizontal, content())),
      readoutStack_(new QStackedWidget(content())),
      readout_(new QLabel(readoutStack_)),
      editor_(new QLineEdit(readoutStack_)),
      dragReport_(new QTimer(this)) {
    auto* layout = new QHBoxLayout(content());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    slider_->setAccessibleName(label);
    layout->addWidget(slider_, 1);
    if (showSparkline) {
        sparkline_ = new SparklineView(label, content());
        layout->addWidget(sparkline_);
    }
    readout_->setFont(uiFont(FontRole::monospacedCaption));
    readout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout_->setFixedWidth(56);
    readout_->setTextFormat(Qt::PlainText);
    readout_->setAccessibleName(label + QStringLiteral(" value"));
    readout_->setToolTip(QStringLiteral("Click to type a value"));
    readout_->installEventFilter(this);
    editor_->setFont(uiFont(FontRole::monospacedCaption));
    editor_->setFixedWidth(60);
    editor_->setAccessibleName(label + QStringLiteral(" value"));
    editor_->installEventFilter(this);
    readoutStack_->addWidget(readout_);
    readoutStack_->addWidget(editor_);
    readoutStack_->setFixedWidth(60);
    layout->addWidget(readoutStack_);

    connect(editor_, &QLineEdit::returnPressed, this, &InspectorSliderRow::commit);
    connect(editor_, &QLineEdit::editingFinished, this, [this] {
        // Return has already committed; anything else that ends the field discards.
        if (editing_) {
            endEditing();
        }
    });
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        if (placing_) {
            return;
        }
        const double value =
            steps() == 0 ? lower_ : lower_ + (upper_ - lower_) * position / steps();
        value_ = value;
        if (sparkline_) {
            sparkline_->setValue(value_, lower_, upper_);
        }
        if (!slider_->isSliderDown()) {
            emit valueEdited(value);  // a key or a click on the groove: one step
            return;
        }
        // Each report is a request to a device or a server: a drag sends the latest at a steady
        // pace, not one per pixel.
        unreportedDrag_ = value;
        if (!dragReport_->isActive()) {
            reportDrag();
            dragReport_->start();
        }
    });
    dragReport_->setInterval(dragReportMilliseconds);
    connect(dragReport_, &QTimer::timeout, this, [this] {
        if (unreportedDrag_) {
            reportDrag();
        } else {
            dragReport_->stop();
        }
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        dragReport_->stop();
        const bool moved = unreportedDrag_.has_value();
        reportDrag();
        // The last value is on its way and its answer will follow; without one, what the model
        // said meanwhile stands.
        if (const auto held = std::exchange(heldBackValue_, std::nullopt); held && !moved) {
            setValue(*held);
        }
    });
    setRange(lower_, upper_);
    updateCursor();
}

int InspectorSliderRow::steps() const {
    const double width = upper_ - lower_;
    const bool whole = std::floor(lower_) == lower_ && std::floor(upper_) == upper_;
    if (whole && width <= 1e6) {
        return int(width);
    }
    return fractionalSteps;
}

void InspectorSliderRow::setRange(double lower, double upper) {
    if (std::isnan(lower) || std::isnan(upper)) {
        return;
    }
    lower_ = std::min(lower, upper);
    upper_ = std::max(lower, upper);
    placing_ = true;
    slider_->setRange(0, steps());
    placing_ = false;
    placeSlider();
}

void InspectorSliderRow::setValue(double value) {
    if (std::isnan(value)) {
        return;
    }
    if (slider_->isSliderDown()) {
        heldBackValue_ = value;
        return;
    }
    value_ = value;
    placeSlider();
}

void InspectorSliderRow::reportDrag() {
    if (const auto value = std::exchange(unreportedDrag_, std::nullopt)) {
        emit valueEdited(*value);
    }
}

void InspectorSliderRow::placeSlider() {
    const double span = upper_ - lower_;
    const double t = span > 0 ? std::clamp((value_ - lower_) / span, 0.0, 1.0) : 0.0;
    placing_ = true;
    slider_->setValue(int(std::lround(t * steps())));
    placing_ = false;
    if (sparkline_) {
        sparkline_->setValue(value_, lower_, upper_);
    }
}

void InspectorSliderRow::setReadout(const QString& text) {
    if (readout_->text() != text) {
        readout_->setText(text);
    }
}

QString InspectorSliderRow::readout() const {
    return readout_->text();
}

void InspectorSliderRow::startEditing() {
    if (!isEnabled() || editing_) {
        return;
    }
    editor_->setText(sliderEditStartText(value_));
    editing_ = true;
    readoutStack_->setCurrentWidget(editor_);
    editor_->setFocus(Qt::MouseFocusReason);
    editor_->selectAll();
}

void InspectorSliderRow::commit() {
    if (!editing_) {
        return;
    }
    const auto parsed = parseSliderEntry(editor_->text(), lower_, upper_);
    endEditing();
    if (parsed) {
        value_ = *parsed;
        placeSlider();
        emit valueEdited(*parsed);
    }
}

void InspectorSliderRow::endEditing() {
    editing_ = false;
    readoutStack_->setCurrentWidget(readout_);
}

bool InspectorSliderRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == readout_ && event->type() == QEvent::MouseButtonPress) {
        startEditing();
        return true;
    }
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            endEditing();
            return true;
        }
        if (event->type() == QEvent::FocusOut && editing_) {
            endEditing();
        }
    }
    return InspectorRow::eventFilter(watched, event);
}

void InspectorSliderRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled() && editing_) {
            endEditing();
        }
        updateCursor();
    }
    InspectorRow::changeEvent(event);
}

void InspectorSliderRow::updateCursor() {
    // The text cursor promises editing, so a disabled row keeps the normal pointer.
    if (isEnabled()) {
        readout_->setCursor(Qt::IBeamCursor);
    } else {
        readout_->unsetCursor();
    }
}

}  // namespace tavrin
