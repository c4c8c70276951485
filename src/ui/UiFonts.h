#pragma once

#include <QFont>

namespace tavrin {

// The type roles of the interface, each derived from the desktop's own font so that the look
// follows the user's settings and is tuned in this one place.
enum class FontRole {
    body,
    headline,
    title,
    callout,
    footnote,
    caption,
    sectionHeader,
    monospaced
};

QFont uiFont(FontRole role);

}  // namespace tavrin
