#pragma once

#include <QWidget>
#include <memory>

#include "ui/DeviceHeaderRow.h"

namespace tavrin {

class AppContext;
class DisplayArrangementSection;
class DisplayDevice;
class InfoPill;
class StatusPill;
class SymbolCatalog;
class WindowState;

// A display's name; "Display ID" with its number and, for the main display, "Main"; and its
// status and size pills.
class DisplayHeaderRow final : public DeviceHeaderRow {
    Q_OBJECT
public:
    DisplayHeaderRow(std::shared_ptr<DisplayDevice> display, const SymbolCatalog& symbols,
                     QWidget* parent = nullptr);

private:
    void refresh();

    std::shared_ptr<DisplayDevice> display_;
    const SymbolCatalog& symbols_;
    QLabel* id_;
    QLabel* mainSeparator_;
    QLabel* main_;
    StatusPill* status_;
    InfoPill* size_;
};

// A display's page: header and arrangement.
class DisplayDetailView final : public QWidget {
    Q_OBJECT
public:
    DisplayDetailView(std::shared_ptr<DisplayDevice> display, AppContext& context,
                      WindowState& state, const SymbolCatalog& symbols, QWidget* parent = nullptr);

    DisplayHeaderRow* header() const { return header_; }
    DisplayArrangementSection* arrangement() const { return arrangement_; }

private:
    DisplayHeaderRow* header_;
    DisplayArrangementSection* arrangement_;
};

}  // namespace tavrin
