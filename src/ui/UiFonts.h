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
    monospaced,
    // The fixed-pitch font at the callout, footnote and caption sizes, for identifiers, codes and
    // numeric read-outs that must line up.
    monospacedCallout,
    monospacedFootnote,
    monospacedCaption
};

QFont uiFont(FontRole role);

}  // namespace tavrin
