#pragma once

#include <QFont>

namespace tavrin {

// The type roles of the interface, each derived from the desktop's own font so that the look
// follows the user's settings and is tuned in this one place.
enum class FontRole {
    body,
    headline,
    title,
    title2,
    title3,
    callout,
    subheadline,
    footnote,
    caption,
    caption2,
    sectionHeader,
    monospaced,
    // The fixed-pitch font at the callout, footnote and caption sizes, for identifiers, codes and
    // numeric read-outs that must line up.
    monospacedCallout,
    monospacedFootnote,
    monospacedCaption
};

QFont uiFont(FontRole role);
// The role's font at another weight, for the emphasised labels of sections and pills.
QFont uiFont(FontRole role, QFont::Weight weight);

}  // namespace tavrin
