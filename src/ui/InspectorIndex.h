#pragma once

#include <QList>
#include <QString>

namespace tavrin {

class InspectorRow;
class InspectorSection;

// The sections and rows an inspector made, found again by title or label: how the views update
// a row and how tests reach it. The widgets belong to the view; this only lists them.
class InspectorIndex {
public:
    InspectorSection* add(InspectorSection* section);
    // Adds `row` to `section` and lists it.
    InspectorRow* add(InspectorSection* section, InspectorRow* row);

    InspectorSection* section(const QString& title) const;
    // Rows that stand in for each other share a label (the frame rate is a slider over a range
    // or a picker of discrete rates): the one not hidden is the one found.
    InspectorRow* row(const QString& label) const;

private:
    QList<InspectorSection*> sections_;
    QList<InspectorRow*> rows_;
};

}  // namespace tavrin
