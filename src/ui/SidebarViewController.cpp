#include "ui/SidebarViewController.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "catalogue/DeviceStore.h"
#include "ui/DeviceChanges.h"
#include "ui/Settings.h"
#include "ui/SidebarItemDelegate.h"
#include "ui/SidebarModel.h"
#include "ui/UiFonts.h"
#include "ui/WindowState.h"

namespace tavrin {

SidebarViewController::SidebarViewController(DeviceStore& store, const SymbolCatalog& symbols,
                                             WindowState& state, QWidget* parent)
    : QWidget(parent),
      store_(store),
      state_(state),
      searchField_(new QLineEdit(this)),
      outlineView_(new QTreeView(this)),
      model_(new SidebarModel(store, symbols, this)),
      footerLabel_(new QLabel(this)) {
    setAccessibleName(QStringLiteral("Sidebar"));
    searchField_->setPlaceholderText(QStringLiteral("Filter devices"));
    searchField_->setAccessibleName(QStringLiteral("Filter devices"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setText(state_.searchText());
    searchField_->installEventFilter(this);
    connect(searchField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { state_.setSearchText(text); });

    outlineView_->setModel(model_);
    outlineView_->setItemDelegate(new SidebarItemDelegate(outlineView_));
    outlineView_->setHeaderHidden(true);
    outlineView_->setRootIsDecorated(false);
    outlineView_->setIndentation(8);
    outlineView_->setUniformRowHeights(false);
    outlineView_->setSelectionMode(QAbstractItemView::SingleSelection);
    outlineView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outlineView_->setFrameShape(QFrame::NoFrame);
    outlineView_->setMouseTracking(true);
    outlineView_->setAccessibleName(QStringLiteral("Devices"));
    outlineView_->setAutoFillBackground(false);
    outlineView_->viewport()->setAutoFillBackground(false);
    connect(outlineView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SidebarViewController::selectionDidChange);
    connect(outlineView_, &QTreeView::expanded, this, &SidebarViewController::saveExpansion);
    connect(outlineView_, &QTreeView::collapsed, this, &SidebarViewController::saveExpansion);

    footerLabel_->setFont(uiFont(FontRole::caption));
    footerLabel_->setForegroundRole(QPalette::PlaceholderText);
    footerLabel_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    footerLabel_->setFixedHeight(24);
    footerLabel_->setContentsMargins(12, 0, 12, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->setSpacing(4);
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(10, 0, 10, 0);
    searchRow->addWidget(searchField_);
    layout->addLayout(searchRow);
    layout->addWidget(outlineView_, 1);
    layout->addWidget(footerLabel_);

    connect(&state_, &WindowState::selectionChanged, this, &SidebarViewController::scheduleRebuild);
    connect(&state_, &WindowState::searchTextChanged, this, [this] {
        if (searchField_->text() != state_.searchText()) {
            searchField_->setText(state_.searchText());
        }
        scheduleRebuild();
    });
    connectDeviceListChanges(store_, this, [this] { scheduleRebuild(); });
    rebuild();
}

QString SidebarViewController::footerText() const {
    return footerLabel_->text();
}

void SidebarViewController::scheduleRebuild() {
    if (std::exchange(rebuildPending_, true)) {
        return;
    }
    QMetaObject::invokeMethod(this, &SidebarViewController::rebuild, Qt::QueuedConnection);
}

void SidebarViewController::rebuild() {
    rebuildPending_ = false;
    ++rebuildCount_;
    followNewDevices();
    ignoreSelectionRoundTrip_ = true;
    model_->update(state_.searchText());
    ignoreSelectionRoundTrip_ = false;
    // Every rebuild opens every section, as a source list does.
    outlineView_->expandAll();
    alignSelection();
    updateFooter();
}

// Models live for the whole run, so each is followed once.
void SidebarViewController::followNewDevices() {
    for (const auto& entry : store_.allEntries()) {
        if (followed_.contains(entry.id())) {
            continue;
        }
        followed_.insert(entry.id());
        connectDeviceChanges(entry, DeviceAspect::row, this, [this] { scheduleRebuild(); });
        connectDeviceChanges(entry, DeviceAspect::name, this,
                             [this, id = entry.id()] { model_->deviceChanged(id); });
    }
}

void SidebarViewController::alignSelection() {
    auto* selection = outlineView_->selectionModel();
    if (state_.selection().isNull()) {
        ignoreSelectionRoundTrip_ = true;
        selection->clearSelection();
        ignoreSelectionRoundTrip_ = false;
        return;
    }
    const auto index = model_->indexOf(state_.selection());
    if (selection->isSelected(index)) {
        return;
    }
    if (!index.isValid()) {
        // The selected device is filtered out. The tree may have moved its selection to a
        // neighbour of the removed row, which would show another device as the chosen one.
        ignoreSelectionRoundTrip_ = true;
        selection->clearSelection();
        ignoreSelectionRoundTrip_ = false;
        return;
    }
    ignoreSelectionRoundTrip_ = true;
    selection->select(index, QItemSelectionModel::ClearAndSelect);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    ignoreSelectionRoundTrip_ = false;
}

void SidebarViewController::selectionDidChange() {
    if (ignoreSelectionRoundTrip_) {
        return;
    }
    const auto selected = outlineView_->selectionModel()->selectedIndexes();
    if (selected.isEmpty() || selected.first().data(SidebarModel::IsSectionRole).toBool()) {
        return;
    }
    state_.setSelection(selected.first().data(SidebarModel::DeviceIdRole).toUuid());
}

void SidebarViewController::updateFooter() {
    int active = 0;
    const auto entries = store_.allEntries();
    for (const auto& entry : entries) {
        active += entry.status().isActive ? 1 : 0;
    }
    footerLabel_->setText(
        QStringLiteral("%1 active \u2022 %2 total").arg(active).arg(entries.size()));
}

void SidebarViewController::saveExpansion() {
    QStringList expanded;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const auto index = model_->index(row, 0);
        if (outlineView_->isExpanded(index)) {
            expanded.append(index.data(Qt::AccessibleTextRole).toString());
        }
    }
    openSettings()->setValue(SettingsKey::sidebar, expanded);
}

void SidebarViewController::focusSearchField() {
    searchField_->setFocus(Qt::ShortcutFocusReason);
    searchField_->selectAll();
}

void SidebarViewController::selectAdjacentDevice(int step) {
    QList<QModelIndex> rows;
    for (int section = 0; section < model_->rowCount(); ++section) {
        const auto parent = model_->index(section, 0);
        for (int row = 0; row < model_->rowCount(parent); ++row) {
            rows.append(model_->index(row, 0, parent));
        }
    }
    if (rows.isEmpty()) {
        return;
    }
    const auto current = model_->indexOf(state_.selection());
    const auto at = rows.indexOf(current);
    const auto next =
        at < 0 ? (step > 0 ? 0 : rows.size() - 1) : (at + step + rows.size()) % rows.size();
    state_.setSelection(rows[next].data(SidebarModel::DeviceIdRole).toUuid());
}

void SidebarViewController::revealSelection() {
    const auto index = model_->indexOf(state_.selection());
    if (index.isValid()) {
        outlineView_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

bool SidebarViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchField_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (!searchField_->text().isEmpty()) {
            searchField_->clear();
            state_.setSearchText(QString());
        }
        // Escape always leaves the field: the window keeps no focused control.
        searchField_->clearFocus();
        if (auto* window = this->window()) {
            window->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tavrin
