#include "ui/SectionStandIn.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/InspectorRow.h"
#include "ui/SectionPanel.h"
#include "ui/StatusColors.h"
#include "ui/UiFonts.h"

namespace tavrin {

SectionStandIn::SectionStandIn(const QString& title, QWidget* parent)
    : QWidget(parent), title_(title) {
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(SectionPanel::padding, SectionPanel::padding, SectionPanel::padding,
                               SectionPanel::padding);
    layout->setSpacing(4);
    auto* heading = makeValueLabel(title, FontRole::subheadline, TextStyle::secondary, this);
    heading->setWordWrap(false);
    heading->setFont(uiFont(FontRole::subheadline, QFont::Medium));
    layout->addWidget(heading, 0, Qt::AlignCenter);
    auto* note = makeValueLabel(QStringLiteral("Not available in this version"), FontRole::caption,
                                TextStyle::tertiary, this);
    note->setWordWrap(false);
    layout->addWidget(note, 0, Qt::AlignCenter);
    setMinimumHeight(80);
}

void SectionStandIn::paintEvent(QPaintEvent*) {
    SectionPanel::paint(this, withOpacity(quaternaryColor(palette()), 0.4),
                        quaternaryColor(palette()));
}

}  // namespace tavrin
