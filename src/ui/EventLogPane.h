#pragma once

#include <QWidget>

#include "catalogue/DeviceEntry.h"
#include "ui/EventLogModel.h"

class QAbstractButton;
class QLabel;
class QToolButton;

namespace tavrin {

class DeviceEventLog;
class DeviceStore;
class EventLogView;

// The lower pane of the centre column: the selected device's events, or those of every device of
// its kind, under a header with the scope switch, the count, and copy, clear and collapse
// buttons. Its state (scope, selection) lasts as long as the pane, which is made again for each
// selected device. Collapsed to its header's height, it shows the header alone.
class EventLogPane final : public QWidget {
    Q_OBJECT
public:
    using Scope = EventLogScope;
    static constexpr int headerHeight = 36;

    EventLogPane(DeviceEventLog& log, DeviceStore& store, const DeviceEntry& entry,
                 QWidget* parent = nullptr);

    static QString pluralNoun(DeviceEntry::Kind kind);

    Scope scope() const { return model_->scope(); }
    void setScope(Scope scope);
    EventLogModel* model() const { return model_; }
    EventLogView* view() const { return view_; }
    QAbstractButton* scopeButton(Scope scope) const;
    QToolButton* copyButton() const { return copyButton_; }
    QToolButton* clearButton() const { return clearButton_; }
    QToolButton* exportButton() const { return exportButton_; }
    QToolButton* collapseButton() const { return collapseButton_; }
    QString countText() const;
    // Whether the list shows; not while the pane is collapsed to its header.
    bool showsList() const;

public slots:
    void copy();
    // Asks where, then writes the displayed events there; the format follows the chosen filter.
    void exportEvents();
    // Writes the displayed events to a file; false, with the reason, when it can't.
    bool exportTo(const QString& path, EventLogExportFormat format, QString* error = nullptr);
    // Empties the log of every device in scope, then the selection.
    void clear();

signals:
    // The collapse button: the split that holds the pane opens or closes it.
    void toggleLogRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeHeader();
    void refreshCount();
    void refreshHelp();
    void refreshIcons();

    DeviceEntry entry_;
    EventLogModel* model_;
    EventLogView* view_;
    QWidget* body_;
    QLabel* symbol_ = nullptr;
    QAbstractButton* thisDeviceButton_ = nullptr;
    QAbstractButton* allOfKindButton_ = nullptr;
    QLabel* count_ = nullptr;
    QToolButton* copyButton_ = nullptr;
    QToolButton* clearButton_ = nullptr;
    QToolButton* exportButton_ = nullptr;
    QToolButton* collapseButton_ = nullptr;
};

}  // namespace tavrin
