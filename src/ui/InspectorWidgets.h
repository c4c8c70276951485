#pragma once

#include <QComboBox>
#include <QString>
#include <QWidget>

#include "catalogue/CaptureTransportType.h"

class QBoxLayout;
class QCheckBox;
class QLabel;
class QTimer;

namespace tavrin {

class ElidedLabel;
class InspectorSection;

// A picker that cuts its shown choice at the tail when the pane is narrower than the title,
// instead of clipping it mid-letter; the list shows whole titles.
//
// It shows what the device reports, except just after the user picked: a write takes a moment
// to come back, and the report of an earlier pick must not pull the picker back under the
// hand (a user stepping through the choices with the arrow keys would step from the old one
// again). The user's pick is shown until the device reports it, or for a second at most, after
// which the device's report stands; new choices end the hold at once.
class ElidingComboBox final : public QComboBox {
    Q_OBJECT
public:
    static constexpr int pickHoldMilliseconds = 1000;

    explicit ElidingComboBox(QWidget* parent = nullptr);

    // The choice the device reports, by index, or -1 for none.
    void showReported(int index);
    // The pick was refused at once: the next report is shown as it is.
    void releasePick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showPopup() override;

private:
    void showIndex(int index);

    // The index the user picked, while it is held; -1 otherwise.
    int picked_ = -1;
    int reported_ = -1;
    QTimer* hold_;
};

// Small builders the device inspectors share, so that equal rows look equal in each of them.

// A small picker whose only name is for assistive technology: the row's label says what it is.
QComboBox* makePicker(const QString& accessibleName, QWidget* parent = nullptr);
// An on/off switch for a row, labelled only for assistive technology.
QCheckBox* makeSwitch(const QString& accessibleName, QWidget* parent = nullptr);
// A one-line identifier in the monospaced callout font, cut in the middle.
ElidedLabel* makeIdentifierLabel(QWidget* parent = nullptr);
// Replaces a picker's items when they differ, and selects `current` (or nothing).
void setPickerItems(QComboBox* picker, const QStringList& titles, int current);

// A transport's readable name beside its four-character code.
class TransportView final : public QWidget {
    Q_OBJECT
public:
    explicit TransportView(QWidget* parent = nullptr);
    void setTransport(CaptureTransportType transport);
    QString text() const;

private:
    QLabel* name_;
    QLabel* code_;
};

}  // namespace tavrin
