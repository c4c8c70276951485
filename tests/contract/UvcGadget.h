#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace tavrin::testing {

// The vivid machine's UVC gadget as the machine's own USB host sees it (TAVRIN_UVC_GADGET=1):
// a device on a real bus, whose bus number depends on the machine, so its place is read from
// sysfs. It can be taken from uvcvideo, so requests go to it through usbfs, and given back; a
// gadget that was taken is given back when this goes.
class UvcGadget {
public:
    // The gadget on the bus, if it is there.
    static std::unique_ptr<UvcGadget> find();
    UvcGadget(QString device, std::uint32_t locationID)
        : device_(std::move(device)), locationID_(locationID) {}
    ~UvcGadget();
    UvcGadget(const UvcGadget&) = delete;
    UvcGadget& operator=(const UvcGadget&) = delete;

    std::uint32_t locationID() const { return locationID_; }
    // uvcvideo's capture node for it; empty while uvcvideo doesn't hold it.
    QString captureNode() const;
    // Unbinds uvcvideo from its interfaces; whether none is held by it afterwards.
    bool takeFromDriver();

private:
    void giveBackToDriver();

    QString device_;  // the sysfs name, such as "1-1"
    std::uint32_t locationID_;
    QStringList taken_;  // the interfaces unbound from uvcvideo
};

}  // namespace tavrin::testing
