#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <deque>

#include "platform/CameraPreview.h"

namespace tavrin {

// Draws the newest frame of a camera's preview, fitted into the view and centred, mirrored
// when asked, with the frame's size and the measured frame rate in a corner. Frames that
// can't be drawn are skipped.
class CameraPreviewView final : public QWidget {
    Q_OBJECT
public:
    explicit CameraPreviewView(QWidget* parent = nullptr);

    void setFrame(const PreviewFrame& frame);
    void clear();
    void setMirrored(bool mirrored);
    bool isMirrored() const { return mirrored_; }

    bool hasFrame() const { return !image_.isNull(); }
    QSize frameSize() const { return image_.size(); }
    int framesShown() const { return framesShown_; }
    int framesSkipped() const { return framesSkipped_; }
    // Frames per second over the last second of frames; 0 before there are two.
    double measuredFrameRate() const;
    // What the picture shows, for a screen reader: "No picture", or the corner's caption
    // ("1280 × 720 · 30 fps"), then ", mirrored" when it is.
    QString stateText() const;

    // Where a frame of `frame` size is drawn inside `bounds`: as large as fits, centred.
    static QRectF fittedRect(const QSizeF& frame, const QRectF& bounds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString captionText() const;

    QImage image_;
    bool mirrored_ = false;
    int framesShown_ = 0;
    int framesSkipped_ = 0;
    QElapsedTimer clock_;
    std::deque<qint64> arrivals_;
};

}  // namespace tavrin
