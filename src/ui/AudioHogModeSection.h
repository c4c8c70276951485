#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tavrin {

class AudioHogModeController;

// Takes exclusive access to a microphone for the user and shows the hold: released with "Take
// Exclusive Access"; waiting for the sound server's answer; or held, in red, with the countdown
// (or "Held indefinitely"), "Keep Exclusive" while counting, and "Release" (Escape). Follows the
// controller's state.
class AudioHogModeSection final : public QWidget {
    Q_OBJECT
public:
    // `deviceLabel` names the kind of device in the sentences: "microphone".
    AudioHogModeSection(AudioHogModeController& controller, const QString& deviceLabel,
                        QWidget* parent = nullptr);

    QString title() const;
    // The countdown or "Held indefinitely" while held; empty otherwise.
    QString statusText() const;
    QString explanation() const;
    QPushButton* takeButton() const { return take_; }
    QPushButton* keepButton() const { return keep_; }
    QPushButton* releaseButton() const { return release_; }

public slots:
    // Checks again whether the device can be found, which decides whether taking is offered. The
    // owner calls it when the device comes or goes; the lookup has no signal of its own.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AudioHogModeController& controller_;
    QString deviceLabel_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* status_;
    QLabel* explanation_;
    QPushButton* take_;
    QPushButton* keep_;
    QPushButton* release_;
};

}  // namespace tavrin
