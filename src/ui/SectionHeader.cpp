#include "ui/SectionHeader.h"

#include <QHBoxLayout>
#include <QLabel>

#include "ui/UiFonts.h"

namespace tavrin {

SectionHeader::SectionHeader(const QString& title, QWidget* trailing, QWidget* parent)
    : QWidget(parent), title_(new QLabel(title, this)), trailing_(trailing) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    title_->setFont(uiFont(FontRole::headline));
    title_->setAccessibleName(title);
    // Box layouts have no baseline alignment: aligning both to the bottom keeps a trailing
    // label of the same size on the title's baseline.
    layout->addWidget(title_, 0, Qt::AlignBottom);
    layout->addStretch(1);
    if (trailing_) {
        layout->addWidget(trailing_, 0, Qt::AlignBottom);
    }
}

QString SectionHeader::title() const {
    return title_->text();
}

}  // namespace tavrin
