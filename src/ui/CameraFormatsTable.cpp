#include "ui/CameraFormatsTable.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "ui/CameraFormatsModel.h"
#include "ui/InspectorRow.h"
#include "ui/SectionHeader.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

struct ColumnWidth {
    int minimum;
    int ideal;
    std::optional<int> maximum;
};

constexpr ColumnWidth columnWidthTable[] = {
    {40, 50, 60},
    {110, 130, std::nullopt},
    {60, 70, 80},
    {50, 60, 70},
    {100, 110, std::nullopt},
    {100, 110, std::nullopt},
    {120, 140, std::nullopt},
    {100, 110, std::nullopt},
};

// The "Active" column's mark, centred in its cell: a filled check in the accent colour on the
// active format's row, a faint ring on the others. Drawn rather than taken from the icon theme,
// whose check emblems lose their inner mark when tinted to one colour.
class ActiveMarkDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);  // the row's background
        const bool isActive = index.data(CameraFormatsModel::isActiveRole).toBool();
        const auto& palette = option.palette;
        constexpr qreal side = 13;
        QRectF mark(0, 0, side, side);
        mark.moveCenter(QRectF(option.rect).center());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (isActive) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(palette.color(QPalette::Highlight));
            painter->drawEllipse(mark);
            QPen check(palette.color(QPalette::HighlightedText), 1.6);
            check.setCapStyle(Qt::RoundCap);
            check.setJoinStyle(Qt::RoundJoin);
            painter->setPen(check);
            const QPointF origin = mark.topLeft();
            const QPointF points[] = {origin + QPointF(3.6, 6.8), origin + QPointF(5.7, 8.9),
                                      origin + QPointF(9.6, 4.4)};
            painter->drawPolyline(points, 3);
        } else {
            painter->setPen(QPen(tertiaryColor(palette), 1.2));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(mark.adjusted(0.6, 0.6, -0.6, -0.6));
        }
        painter->restore();
    }
};

}  // namespace

CameraFormatsTable::CameraFormatsTable(std::shared_ptr<CameraDevice> camera, QWidget* parent)
    : QWidget(parent),
      model_(new CameraFormatsModel(std::move(camera), this)),
      count_(makeValueLabel({}, FontRole::caption, TextStyle::secondary)),
      header_(new SectionHeader(QStringLiteral("Supported Formats"), count_, this)),
      table_(new QTableView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(header_);
    layout->addWidget(table_);

    setAccessibleName(QStringLiteral("Supported Formats"));
    table_->setModel(model_);
    table_->setAccessibleName(QStringLiteral("Supported Formats"));
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setFrameShape(QFrame::NoFrame);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight);
    table_->verticalHeader()->setMinimumSectionSize(rowHeight);
    auto* columns = table_->horizontalHeader();
    // The fixed height leaves 36 points beyond the rows: the header takes what a sideways scroll
    // bar doesn't, so that rows are never hidden behind one.
    const int scrollBarExtent =
        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_->horizontalScrollBar());
    columns->setFixedHeight(std::max(minimumHeaderHeight, 36 - scrollBarExtent));
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setMinimumSectionSize(0);
    columns->setFont(uiFont(FontRole::footnote, QFont::Medium));
    table_->setItemDelegateForColumn(CameraFormatsModel::active, new ActiveMarkDelegate(table_));

    connect(model_, &QAbstractItemModel::modelReset, this, &CameraFormatsTable::refresh);
    refresh();
}

QString CameraFormatsTable::countText() const {
    return count_->text();
}

QString CameraFormatsTable::countText(int count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" format") : QStringLiteral(" formats"));
}

int CameraFormatsTable::tableHeight(int count) {
    return std::min(std::max(count, 1) * rowHeight, 280) + 36;
}

QList<int> CameraFormatsTable::columnWidths(int available) {
    QList<int> widths;
    int total = 0;
    for (const auto& column : columnWidthTable) {
        widths.append(column.ideal);
        total += column.ideal;
    }
    if (available > total) {
        // Room to spare goes to the columns that may still grow, in equal shares, until none can.
        int spare = available - total;
        while (spare > 0) {
            QList<qsizetype> growing;
            for (qsizetype i = 0; i < widths.size(); ++i) {
                const auto& maximum = columnWidthTable[i].maximum;
                if (!maximum || widths[i] < *maximum) {
                    growing.append(i);
                }
            }
            if (growing.isEmpty()) {
                break;
            }
            const int share = std::max(1, spare / int(growing.size()));
            for (const auto i : growing) {
                const auto& maximum = columnWidthTable[i].maximum;
                const int grow = std::min({share, spare, maximum ? *maximum - widths[i] : share});
                widths[i] += grow;
                spare -= grow;
                if (spare == 0) {
                    break;
                }
            }
        }
    } else if (available < total) {
        // Each column gives up the same part of what it could give up.
        int minimums = 0;
        for (const auto& column : columnWidthTable) {
            minimums += column.minimum;
        }
        const double part =
            std::clamp(double(total - available) / double(total - minimums), 0.0, 1.0);
        for (qsizetype i = 0; i < widths.size(); ++i) {
            const auto& column = columnWidthTable[i];
            widths[i] = column.ideal - int(std::lround(part * (column.ideal - column.minimum)));
        }
    }
    return widths;
}

void CameraFormatsTable::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitColumns();
}

void CameraFormatsTable::refresh() {
    const int count = model_->rowCount();
    count_->setText(countText(count));
    table_->setFixedHeight(tableHeight(count));
    fitColumns();
}

void CameraFormatsTable::fitColumns() {
    const auto* scrollBar = table_->verticalScrollBar();
    const int available =
        table_->width() - (scrollBar->isVisibleTo(table_) ? scrollBar->sizeHint().width() : 0);
    const auto widths = columnWidths(available);
    for (qsizetype i = 0; i < widths.size(); ++i) {
        table_->setColumnWidth(int(i), widths[i]);
    }
}

}  // namespace tavrin
