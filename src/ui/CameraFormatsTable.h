#pragma once

#include <QList>
#include <QWidget>
#include <memory>

class QLabel;
class QTableView;

namespace tavrin {

class CameraDevice;
class CameraFormatsModel;
class SectionHeader;

// "Supported Formats": every format of a camera in a table of eight columns, the active one
// marked. The table has a fixed height, so that the page below it doesn't move as formats come
// and go, and scrolls past ten or so rows.
class CameraFormatsTable final : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;
    static constexpr int minimumHeaderHeight = 20;

    explicit CameraFormatsTable(std::shared_ptr<CameraDevice> camera, QWidget* parent = nullptr);

    CameraFormatsModel* model() const { return model_; }
    QTableView* table() const { return table_; }
    SectionHeader* header() const { return header_; }
    QString countText() const;

    // "1 format", "12 formats".
    static QString countText(int count);
    // The table's height for `count` formats: one row at least, ten rows and a bit at most.
    static int tableHeight(int count);
    // Each column's width in `available` points: the ideal widths, grown (up to their maximums)
    // into room to spare, or shrunk towards their minimums when room is short. Below the sum of
    // the minimums the table scrolls sideways.
    static QList<int> columnWidths(int available);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void fitColumns();

    CameraFormatsModel* model_;
    QLabel* count_;
    SectionHeader* header_;
    QTableView* table_;
};

}  // namespace tavrin
