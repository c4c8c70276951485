#include "ui/EventLogPane.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/EventLogView.h"
#include "ui/SymbolIcons.h"
#include "ui/UiFonts.h"

namespace tavrin {

namespace {

QToolButton* makeIconButton(const QString& accessibleName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIconSize({16, 16});
    button->setAccessibleName(accessibleName);
    return button;
}

}  // namespace

EventLogPane::EventLogPane(DeviceEventLog& log, DeviceStore& store, const DeviceEntry& entry,
                           QWidget* parent)
    : QWidget(parent),
      entry_(entry),
      model_(new EventLogModel(log, store, entry, this)),
      view_(new EventLogView(this)),
      body_(new QWidget(this)) {
    setAccessibleName(QStringLiteral("Event Log"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    view_->setModel(model_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeHeader());
    auto* bodyLayout = new QVBoxLayout(body_);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);
    auto* rule = new QFrame(body_);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setForegroundRole(QPalette::Mid);
    bodyLayout->addWidget(rule);
    bodyLayout->addWidget(view_);
    layout->addWidget(body_, 1);

    connect(model_, &QAbstractItemModel::rowsInserted, this, &EventLogPane::refreshCount);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &EventLogPane::refreshCount);
    connect(model_, &QAbstractItemModel::modelReset, this, &EventLogPane::refreshCount);
    // Removed rows and a reset drop selected rows without a selection signal.
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &EventLogPane::refreshHelp);
    connect(model_, &QAbstractItemModel::modelReset, this, &EventLogPane::refreshHelp);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EventLogPane::refreshHelp);
    connect(model_, &EventLogModel::scopeChanged, this, [this] {
        thisDeviceButton_->setChecked(scope() == Scope::thisDevice);
        allOfKindButton_->setChecked(scope() == Scope::allOfKind);
        refreshHelp();
    });
    refreshCount();
    refreshHelp();
}

QWidget* EventLogPane::makeHeader() {
    auto* header = new QWidget(this);
    header->setFixedHeight(headerHeight);
    header->setAutoFillBackground(true);
    header->setBackgroundRole(QPalette::Window);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 0, 6, 0);
    row->setSpacing(6);

    symbol_ = new QLabel(header);
    symbol_->setFixedSize(16, 16);
    row->addWidget(symbol_);
    auto* title = new QLabel(QStringLiteral("Event Log"), header);
    title->setFont(uiFont(FontRole::headline));
    row->addWidget(title);
    row->addSpacing(10);

    // A segmented switch: two joined buttons of which one is always down.
    auto* scopes = new QButtonGroup(header);
    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    row->addLayout(segments);
    thisDeviceButton_ = new QToolButton(header);
    thisDeviceButton_->setText(QStringLiteral("This ") + DeviceEntry::kindNoun(entry_.kind()));
    allOfKindButton_ = new QToolButton(header);
    allOfKindButton_->setText(QStringLiteral("All ") + pluralNoun(entry_.kind()));
    for (auto* button : {thisDeviceButton_, allOfKindButton_}) {
        button->setCheckable(true);
        button->setFont(uiFont(FontRole::callout));
        scopes->addButton(button);
        segments->addWidget(button);
    }
    thisDeviceButton_->setChecked(true);
    connect(thisDeviceButton_, &QAbstractButton::clicked, this,
            [this] { setScope(Scope::thisDevice); });
    connect(allOfKindButton_, &QAbstractButton::clicked, this,
            [this] { setScope(Scope::allOfKind); });
    row->addSpacing(4);

    count_ = new QLabel(header);
    count_->setFont(uiFont(FontRole::caption));
    count_->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(count_);
    row->addStretch(1);

    copyButton_ = makeIconButton(QStringLiteral("Copy"), header);
    clearButton_ = makeIconButton(QStringLiteral("Clear"), header);
    exportButton_ = makeIconButton(QStringLiteral("Export\u2026"), header);
    exportButton_->setToolTip(QStringLiteral("Export the shown events to a file"));
    collapseButton_ = makeIconButton(QStringLiteral("Toggle Event Log"), header);
    collapseButton_->setToolTip(QStringLiteral("Toggle event log (Ctrl+Shift+Y)"));
    for (auto* button : {copyButton_, exportButton_, clearButton_, collapseButton_}) {
        row->addWidget(button);
    }
    connect(copyButton_, &QToolButton::clicked, this, &EventLogPane::copy);
    connect(clearButton_, &QToolButton::clicked, this, &EventLogPane::clear);
    connect(exportButton_, &QToolButton::clicked, this, &EventLogPane::exportEvents);
    connect(collapseButton_, &QToolButton::clicked, this, &EventLogPane::toggleLogRequested);
    refreshIcons();
    return header;
}

QString EventLogPane::pluralNoun(DeviceEntry::Kind kind) {
    return DeviceEntry::kindNoun(kind) + QLatin1Char('s');
}

void EventLogPane::setScope(Scope scope) {
    model_->setScope(scope);
}

QAbstractButton* EventLogPane::scopeButton(Scope scope) const {
    return scope == Scope::thisDevice ? thisDeviceButton_ : allOfKindButton_;
}

QString EventLogPane::countText() const {
    return count_->text();
}

bool EventLogPane::showsList() const {
    return body_->isVisibleTo(this);
}

void EventLogPane::copy() {
    view_->copy();
}

void EventLogPane::exportEvents() {
    const auto jsonFilter = QStringLiteral("JSON lines (*.jsonl)");
    const auto textFilter = QStringLiteral("Plain text (*.txt)");
    auto* dialog = new QFileDialog(this, QStringLiteral("Export Events"), QString(),
                                   jsonFilter + QStringLiteral(";;") + textFilter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("jsonl"));
    dialog->selectFile(model_->exportTitle() + QStringLiteral(".jsonl"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::filterSelected, dialog,
            [dialog, textFilter](const QString& filter) {
                dialog->setDefaultSuffix(filter == textFilter ? QStringLiteral("txt")
                                                              : QStringLiteral("jsonl"));
            });
    connect(
        dialog, &QFileDialog::fileSelected, this, [this, dialog, textFilter](const QString& path) {
            const auto format =
                dialog->selectedNameFilter() == textFilter || path.endsWith(QLatin1String(".txt"))
                    ? EventLogExportFormat::plainText
                    : EventLogExportFormat::jsonLines;
            QString error;
            if (!exportTo(path, format, &error)) {
                QMessageBox::warning(this, QStringLiteral("Export failed"), error);
            }
        });
    dialog->open();
}

bool EventLogPane::exportTo(const QString& path, EventLogExportFormat format, QString* error) {
    // Written whole or not at all: a half-written file is worse evidence than none.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(model_->exportText(format)) < 0 ||
        !file.commit()) {
        if (error) {
            *error = QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

void EventLogPane::clear() {
    model_->clearScope();
    view_->clearSelection();
}

void EventLogPane::refreshCount() {
    count_->setText(QStringLiteral("%1 events").arg(model_->rowCount()));
}

void EventLogPane::refreshHelp() {
    const int selected = view_->selectedRowCount();
    copyButton_->setToolTip(selected == 0
                                ? QStringLiteral("Copy all events")
                                : QStringLiteral("Copy %1 selected event(s)").arg(selected));
    clearButton_->setToolTip(
        scope() == Scope::thisDevice
            ? QStringLiteral("Clear events for this ") + DeviceEntry::kindNoun(entry_.kind())
            : QStringLiteral("Clear events for all ") + pluralNoun(entry_.kind()));
}

void EventLogPane::refreshIcons() {
    const auto secondary = palette().color(QPalette::PlaceholderText);
    const auto scale = devicePixelRatioF();
    symbol_->setPixmap(
        tintedSymbol(QStringLiteral("list.bullet.rectangle.portrait"), 16, secondary, scale));
    const struct {
        QToolButton* button;
        const char* symbol;
    } icons[] = {
        {copyButton_, "doc.on.doc"},
        {exportButton_, "square.and.arrow.up"},
        {clearButton_, "trash"},
        {collapseButton_, "rectangle.bottomthird.inset.filled"},
    };
    for (const auto& icon : icons) {
        icon.button->setIcon(
            QIcon(tintedSymbol(QString::fromLatin1(icon.symbol), 16, secondary, scale)));
    }
}

void EventLogPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // At the header's height the split has collapsed the pane: no list squeezed under it.
    body_->setVisible(height() > headerHeight);
}

void EventLogPane::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && symbol_) {
        refreshIcons();
    }
    QWidget::changeEvent(event);
}

}  // namespace tavrin
