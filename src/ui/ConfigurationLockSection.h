#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace tavrin {

class ConfigurationLockController;

// Takes and holds a camera's or microphone's configuration lock for the user, and shows who
// holds it: unlocked with "Lock Configuration", or locked with the countdown (or "Held
// indefinitely"), "Keep Locked" while counting, and "Unlock". Follows the controller's state.
class ConfigurationLockSection final : public QWidget {
    Q_OBJECT
public:
    // `deviceLabel` names the kind of device in the sentences: "camera", "microphone".
    ConfigurationLockSection(ConfigurationLockController& controller, const QString& deviceLabel,
                             QWidget* parent = nullptr);

    QString title() const;
    // The countdown or "Held indefinitely"; empty while unlocked.
    QString statusText() const;
    QString explanation() const;
    QPushButton* lockButton() const { return lock_; }
    QPushButton* keepLockedButton() const { return keepLocked_; }
    QPushButton* unlockButton() const { return unlock_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    ConfigurationLockController& controller_;
    QString deviceLabel_;
    QLabel* icon_;
    QLabel* title_;
    QLabel* status_;
    QLabel* explanation_;
    QPushButton* lock_;
    QPushButton* keepLocked_;
    QPushButton* unlock_;
};

}  // namespace tavrin
