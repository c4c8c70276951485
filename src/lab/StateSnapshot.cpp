#include "lab/StateSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/EventSource.h"
#include "lab/DeviceResolver.h"

namespace tavrin {

namespace {

std::optional<QString> boundedString(const QJsonObject& object, const QString& key) {
    const auto value = object.value(key);
    if (!value.isString() || value.toString().size() > StateSnapshot::maxTextLength) {
        return std::nullopt;
    }
    return value.toString();
}

}  // namespace

StateSnapshot StateSnapshot::capture(DeviceStore& store) {
    StateSnapshot snapshot;
    for (const auto& entry : store.allEntries()) {
        snapshot.devices_.append({DeviceEntry::kindNoun(entry.kind()),
                                  DeviceResolver::uniqueID(entry), entry.localizedName(),
                                  entry.device().loggedValues()});
    }
    return snapshot;
}

QJsonObject StateSnapshot::toJson() const {
    QJsonArray devices;
    for (const auto& device : devices_) {
        QJsonArray values;
        for (const auto& value : device.values) {
            values.append(QJsonObject{{QStringLiteral("label"), value.label},
                                      {QStringLiteral("text"), value.text},
                                      {QStringLiteral("source"), value.source}});
        }
        devices.append(QJsonObject{{QStringLiteral("kind"), device.kind},
                                   {QStringLiteral("id"), device.id},
                                   {QStringLiteral("name"), device.name},
                                   {QStringLiteral("values"), values}});
    }
    return {{QStringLiteral("version"), version},
            {QStringLiteral("format"), QStringLiteral("tavrin-snapshot")},
            {QStringLiteral("devices"), devices}};
}

std::variant<StateSnapshot, QString> StateSnapshot::parse(const QByteArray& json) {
    if (json.size() > maxFileSize) {
        return QStringLiteral("the file is larger than %1 bytes").arg(maxFileSize);
    }
    QJsonParseError error;
    const auto document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return QStringLiteral("not a snapshot: ") + (error.error != QJsonParseError::NoError
                                                         ? error.errorString()
                                                         : QStringLiteral("not a JSON object"));
    }
    const auto root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String("tavrin-snapshot")) {
        return QStringLiteral("not a snapshot: \"format\" is not \"tavrin-snapshot\"");
    }
    const auto versionValue = root.value(QStringLiteral("version"));
    if (!versionValue.isDouble() || versionValue.toDouble() != version) {
        return QStringLiteral(
                   "the snapshot is of version %1; this tavrin reads version %2 only, "
                   "so take the snapshot again")
            .arg(versionValue.isDouble() ? QString::number(versionValue.toDouble())
                                         : QStringLiteral("(none)"))
            .arg(version);
    }
    const auto devices = root.value(QStringLiteral("devices"));
    if (!devices.isArray() || devices.toArray().size() > maxDevices) {
        return QStringLiteral("\"devices\" must be a list of at most %1 devices").arg(maxDevices);
    }
    StateSnapshot snapshot;
    int index = 0;
    for (const auto& deviceValue : devices.toArray()) {
        ++index;
        const auto bad = [index](const QString& what) {
            return QStringLiteral("device %1: %2").arg(index).arg(what);
        };
        if (!deviceValue.isObject()) {
            return bad(QStringLiteral("not an object"));
        }
        const auto object = deviceValue.toObject();
        Device device;
        const auto kind = boundedString(object, QStringLiteral("kind"));
        const auto id = boundedString(object, QStringLiteral("id"));
        const auto name = boundedString(object, QStringLiteral("name"));
        if (!kind || !id || !name) {
            return bad(QStringLiteral("\"kind\", \"id\" and \"name\" must be strings"));
        }
        device.kind = *kind;
        device.id = *id;
        device.name = *name;
        const auto values = object.value(QStringLiteral("values"));
        if (!values.isArray() || values.toArray().size() > maxValues) {
            return bad(QStringLiteral("\"values\" must be a list of at most %1").arg(maxValues));
        }
        for (const auto& value : values.toArray()) {
            const auto fields = value.toObject();
            const auto label = boundedString(fields, QStringLiteral("label"));
            const auto text = boundedString(fields, QStringLiteral("text"));
            const auto source = boundedString(fields, QStringLiteral("source"));
            if (!value.isObject() || !label || !text || !source) {
                return bad(QStringLiteral("each value needs \"label\", \"text\" and \"source\""));
            }
            device.values.append({*label, *text, *source});
        }
        snapshot.devices_.append(device);
    }
    return snapshot;
}

QList<StateChange> StateSnapshot::changesSince(const StateSnapshot& then) const {
    const auto find = [](const StateSnapshot& snapshot, const Device& device) -> const Device* {
        for (const auto& candidate : snapshot.devices_) {
            if (candidate.kind == device.kind && candidate.id == device.id) {
                return &candidate;
            }
        }
        return nullptr;
    };
    QList<StateChange> changes;
    for (const auto& now : devices_) {
        const auto* before = find(then, now);
        if (!before) {
            changes.append({now.kind, now.id, now.name, EventSource::discovery,
                            discoveryMessage(now.name, {})});
            continue;
        }
        for (const auto& value : now.values) {
            for (const auto& old : before->values) {
                if (old.label == value.label && old.text != value.text) {
                    changes.append({now.kind, now.id, now.name, value.source,
                                    changeMessage(now.name, value.label, old.text, value.text)});
                }
            }
        }
    }
    for (const auto& before : then.devices_) {
        if (!find(*this, before)) {
            changes.append({before.kind, before.id, before.name, EventSource::discovery,
                            changeMessage(before.name, QStringLiteral("present"),
                                          QStringLiteral("yes"), QStringLiteral("no"))});
        }
    }
    return changes;
}

}  // namespace tavrin
