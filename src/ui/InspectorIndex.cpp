#include "ui/InspectorIndex.h"

#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"

namespace tavrin {

InspectorSection* InspectorIndex::add(InspectorSection* section) {
    sections_.append(section);
    return section;
}

InspectorRow* InspectorIndex::add(InspectorSection* section, InspectorRow* row) {
    section->addRow(row);
    rows_.append(row);
    return row;
}

InspectorSection* InspectorIndex::section(const QString& title) const {
    for (auto* section : sections_) {
        if (section->title() == title) {
            return section;
        }
    }
    return nullptr;
}

InspectorRow* InspectorIndex::row(const QString& label) const {
    InspectorRow* found = nullptr;
    for (auto* row : rows_) {
        if (row->label() == label) {
            if (!row->isHidden()) {
                return row;
            }
            found = found ? found : row;
        }
    }
    return found;
}

}  // namespace tavrin
