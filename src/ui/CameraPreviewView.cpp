#include "ui/CameraPreviewView.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/AccessibleViews.h"
#include "ui/UiFonts.h"

namespace tavrin {

CameraPreviewView::CameraPreviewView(QWidget* parent) : QWidget(parent) {
    // Before anything asks for the interface, which is then kept.
    installAccessibleViews();
    setAccessibleName(QStringLiteral("Live Picture"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    clock_.start();
}

void CameraPreviewView::setFrame(const PreviewFrame& frame) {
    if (!frame.isDrawable()) {
        ++framesSkipped_;
        return;
    }
    // The image shares the frame's pixels; the copy of the byte array keeps them alive.
    const QByteArray pixels = frame.pixels;
    image_ = QImage(
        reinterpret_cast<const uchar*>(pixels.constData()), frame.size.width(), frame.size.height(),
        frame.bytesPerLine,
        frame.layout == PreviewFrame::Layout::xrgb32 ? QImage::Format_RGB32 : QImage::Format_RGB888,
        [](void* data) { delete static_cast<QByteArray*>(data); }, new QByteArray(pixels));
    ++framesShown_;
    arrivals_.push_back(clock_.elapsed());
    while (arrivals_.size() > 2 && arrivals_.back() - arrivals_.front() > 1000) {
        arrivals_.pop_front();
    }
    update();
}

void CameraPreviewView::clear() {
    image_ = QImage();
    arrivals_.clear();
    update();
}

void CameraPreviewView::setMirrored(bool mirrored) {
    if (mirrored == mirrored_) {
        return;
    }
    mirrored_ = mirrored;
    update();
}

double CameraPreviewView::measuredFrameRate() const {
    if (arrivals_.size() < 2 || arrivals_.back() == arrivals_.front()) {
        return 0;
    }
    return double(arrivals_.size() - 1) * 1000.0 / double(arrivals_.back() - arrivals_.front());
}

QRectF CameraPreviewView::fittedRect(const QSizeF& frame, const QRectF& bounds) {
    if (frame.isEmpty() || bounds.isEmpty()) {
        return {};
    }
    const QSizeF fitted = frame.scaled(bounds.size(), Qt::KeepAspectRatio);
    return QRectF(bounds.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
}

QString CameraPreviewView::captionText() const {
    const double rate = measuredFrameRate();
    return QStringLiteral("%1 \u00d7 %2").arg(image_.width()).arg(image_.height()) +
           (rate > 0 ? QStringLiteral(" \u00b7 %1 fps").arg(rate, 0, 'f', 0) : QString());
}

QString CameraPreviewView::stateText() const {
    if (image_.isNull()) {
        return QStringLiteral("No picture");
    }
    return captionText() + (mirrored_ ? QStringLiteral(", mirrored") : QString());
}

void CameraPreviewView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRectF target = fittedRect(image_.size(), rect());
    painter.save();
    if (mirrored_) {
        // Flip about the picture's own vertical centre line.
        painter.translate(target.center().x() * 2, 0);
        painter.scale(-1, 1);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
    painter.restore();

    // The picture's size and rate, small, in the top trailing corner, clear of what a camera
    // usually shows at the bottom (captions, clocks).
    const QString caption = captionText();
    painter.setFont(uiFont(FontRole::monospacedCaption));
    const QFontMetricsF metrics(painter.font());
    const QSizeF box(metrics.horizontalAdvance(caption) + 12, metrics.height() + 4);
    const QRectF badge(target.right() - box.width() - 6, target.top() + 6, box.width(),
                       box.height());
    QPainterPath shape;
    shape.addRoundedRect(badge, 4, 4);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, QColor(0, 0, 0, 140));
    painter.setPen(QColor(255, 255, 255, 220));
    painter.drawText(badge, Qt::AlignCenter, caption);
}

}  // namespace tavrin
