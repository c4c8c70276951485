#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "camera/CameraFormatSummary.h"
#include "platform/CaptureDeviceFormat.h"

namespace tavrin {

class CameraDevice;

// The rows of a camera's formats table, one per entry of the camera's `formats`, in its order,
// with the row of the active format marked. Follows the camera's formats and active format.
class CameraFormatsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        active,
        resolution,
        aspect,
        megapixels,
        frameRate,
        pixelFormat,
        colorSpace,
        autoFocus,
        columnCount_
    };
    // True for the row of the camera's active format, in the "Active" column.
    static constexpr int isActiveRole = Qt::UserRole + 1;

    explicit CameraFormatsModel(std::shared_ptr<CameraDevice> camera, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row of the active format, or -1.
    int activeRow() const { return activeRow_; }

    // A cell's text; empty for the "Active" column, which is a mark.
    static QString cellText(const CaptureDeviceFormat& format, const CameraFormatSummary& summary,
                            Column column);
    // 1920 × 1080 reads "16:9"; "—" when a side is below 1.
    static QString aspectText(int width, int height);

private:
    void reloadFormats();
    void followActiveFormat();
    int findActiveRow() const;

    std::shared_ptr<CameraDevice> camera_;
    // The list the rows stand for. The camera replaces its list as a whole, after the fact, so
    // the model keeps the one it announced until it has told its views about the new one.
    QList<CaptureFormat> formats_;
    QList<CameraFormatSummary> summaries_;
    int activeRow_ = -1;
};

}  // namespace tavrin
