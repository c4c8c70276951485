#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>
#include <variant>

#include "catalogue/DeviceEntry.h"
#include "lab/LabStep.h"

namespace tavrin {

class AppContext;
class DeviceStore;

// Carries out the lab's steps on the models and controllers the window uses, and keeps what
// they hold (exclusive access, configuration locks, changes to be put back) until it is
// released. Main thread.
class Provocations final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(std::optional<QString> failure)>;

    explicit Provocations(AppContext& context);
    // Gives back whatever is still held.
    ~Provocations() override;

    // The device a step names, of a kind the step works on; or why there is none.
    static std::variant<DeviceEntry, QString> deviceFor(DeviceStore& store, const LabStep& step);
    // Checks a step against the devices as they are now, without touching anything: the device
    // exists and every setting makes sense for it. Absent when the step can run.
    std::optional<QString> check(const LabStep& step) const;

    // Runs a step; `done` is called once, perhaps later (a sound server answers an exclusive
    // request asynchronously). What the step holds is kept under `holdID`.
    void start(const LabStep& step, int holdID, Done done);
    // Gives back one hold; nothing when it isn't held.
    void release(int holdID);
    // Gives back every hold on a device, or all of them for a null uuid.
    void releaseAll(const QUuid& device = {});
    bool isHolding() const { return !holds_.isEmpty(); }

private:
    void holdExclusive(const DeviceEntry& entry, int holdID, Done done);
    void lock(const DeviceEntry& entry, int holdID, Done done);
    void change(const LabStep& step, const DeviceEntry& entry, int holdID, Done done);
    // Calls `done` once the events recorded so far have been appended: with the device's newest
    // "Failed ..." line since `eventsBefore` as the failure, if there is one.
    void finishWithLog(const QUuid& device, qsizetype eventsBefore, const QString& fallback,
                       bool failedAnyway, Done done);

    struct Hold {
        QUuid device;
        std::function<void()> release;
    };

    AppContext& context_;
    QHash<int, Hold> holds_;
};

}  // namespace tavrin
