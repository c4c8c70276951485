#include "ui/ToolbarCustomizeDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/SymbolIcons.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/ToolbarItems.h"

namespace tavrin {

namespace {

constexpr int identifierRole = Qt::UserRole;

constexpr int iconSize = 20;

// Separators and spaces have no symbol: a drawn sketch of what they look like on the toolbar.
QIcon sketchOf(const QString& identifier, const QPalette& palette) {
    QPixmap pixmap(iconSize, iconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(palette.color(QPalette::PlaceholderText));
    if (identifier == ToolbarItem::sidebarTracker || identifier == ToolbarItem::inspectorTracker) {
        painter.drawLine(iconSize / 2, 1, iconSize / 2, iconSize - 2);
    } else {
        painter.setPen(QPen(palette.color(QPalette::PlaceholderText), 1, Qt::DashLine));
        const int inset = identifier == ToolbarItem::space ? 5 : 1;
        painter.drawRect(QRect(inset, 5, iconSize - 1 - 2 * inset, iconSize - 11));
    }
    painter.end();
    return QIcon(pixmap);
}

QListWidgetItem* makeItem(const QString& identifier, const QPalette& palette) {
    const auto description = toolbarItemDescription(identifier);
    auto* item = new QListWidgetItem(description ? description->paletteLabel : identifier);
    item->setIcon(description && !description->symbol.isEmpty() ? symbolIcon(description->symbol)
                                                                : sketchOf(identifier, palette));
    item->setData(identifierRole, identifier);
    return item;
}

}  // namespace

ToolbarCustomizeDialog::ToolbarCustomizeDialog(ToolbarConfiguration& configuration, QWidget* parent)
    : QDialog(parent),
      configuration_(configuration),
      available_(new QListWidget(this)),
      toolbar_(new QListWidget(this)),
      add_(new QPushButton(QStringLiteral("Add \u2192"), this)),
      remove_(new QPushButton(QStringLiteral("\u2190 Remove"), this)),
      up_(new QPushButton(QStringLiteral("Move Up"), this)),
      down_(new QPushButton(QStringLiteral("Move Down"), this)) {
    setWindowTitle(QStringLiteral("Customize Toolbar"));
    available_->setAccessibleName(QStringLiteral("Available items"));
    toolbar_->setAccessibleName(QStringLiteral("Toolbar items"));
    for (auto* list : {available_, toolbar_}) {
        list->setIconSize(QSize(iconSize, iconSize));
        list->setMinimumWidth(220);
        list->setMinimumHeight(260);
    }

    auto* restore = new QPushButton(QStringLiteral("Restore Defaults"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(restore, QDialogButtonBox::ResetRole);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (auto* button : {add_, remove_, up_, down_}) {
        middle->addWidget(button);
    }
    middle->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Available items:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Toolbar items, in order:"), this), 0, 2);
    grid->addWidget(available_, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(toolbar_, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Choose the items of the toolbar. The two separators stand over the "
                       "sidebar's and the inspector's dividers."),
        this));
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(add_, &QPushButton::clicked, this, &ToolbarCustomizeDialog::addSelected);
    connect(remove_, &QPushButton::clicked, this, &ToolbarCustomizeDialog::removeSelected);
    connect(up_, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(restore, &QPushButton::clicked, this, &ToolbarCustomizeDialog::restoreDefaults);
    connect(available_, &QListWidget::itemDoubleClicked, this,
            &ToolbarCustomizeDialog::addSelected);
    connect(toolbar_, &QListWidget::itemDoubleClicked, this,
            &ToolbarCustomizeDialog::removeSelected);
    connect(available_, &QListWidget::currentRowChanged, this,
            &ToolbarCustomizeDialog::updateButtons);
    connect(toolbar_, &QListWidget::currentRowChanged, this,
            &ToolbarCustomizeDialog::updateButtons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        configuration_.setItems(chosenItems());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setChosen(configuration_.items());
}

QStringList ToolbarCustomizeDialog::chosenItems() const {
    QStringList items;
    for (int row = 0; row < toolbar_->count(); ++row) {
        items.append(toolbar_->item(row)->data(identifierRole).toString());
    }
    return items;
}

void ToolbarCustomizeDialog::setChosen(const QStringList& items) {
    toolbar_->clear();
    for (const auto& identifier : items) {
        toolbar_->addItem(makeItem(identifier, palette()));
    }
    refreshAvailable();
}

// What can still be added: every single item not on the toolbar yet, and the spaces always.
void ToolbarCustomizeDialog::refreshAvailable() {
    const auto chosen = chosenItems();
    available_->clear();
    for (const auto& identifier : ToolbarItem::allowedItems()) {
        if (ToolbarItem::isRepeatable(identifier) || !chosen.contains(identifier)) {
            available_->addItem(makeItem(identifier, palette()));
        }
    }
    updateButtons();
}

void ToolbarCustomizeDialog::addSelected() {
    auto* item = available_->currentItem();
    if (!item) {
        return;
    }
    const auto identifier = item->data(identifierRole).toString();
    const int at = toolbar_->currentRow() < 0 ? toolbar_->count() : toolbar_->currentRow() + 1;
    toolbar_->insertItem(at, makeItem(identifier, palette()));
    toolbar_->setCurrentRow(at);
    refreshAvailable();
}

void ToolbarCustomizeDialog::removeSelected() {
    const int row = toolbar_->currentRow();
    if (row < 0) {
        return;
    }
    delete toolbar_->takeItem(row);
    toolbar_->setCurrentRow(std::min(row, toolbar_->count() - 1));
    refreshAvailable();
}

void ToolbarCustomizeDialog::moveSelected(int step) {
    const int row = toolbar_->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= toolbar_->count()) {
        return;
    }
    auto* item = toolbar_->takeItem(row);
    toolbar_->insertItem(to, item);
    toolbar_->setCurrentRow(to);
    updateButtons();
}

void ToolbarCustomizeDialog::restoreDefaults() {
    setChosen(ToolbarItem::defaultItems());
}

void ToolbarCustomizeDialog::updateButtons() {
    const int row = toolbar_->currentRow();
    add_->setEnabled(available_->currentItem() != nullptr);
    remove_->setEnabled(row >= 0);
    up_->setEnabled(row > 0);
    down_->setEnabled(row >= 0 && row + 1 < toolbar_->count());
}

}  // namespace tavrin
