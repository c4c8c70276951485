#pragma once

namespace tavrin {

// Makes the views that paint what they show readable by a screen reader: the arrangement's
// tiles, the meter's channels, the log's rows, the preview and the sparklines get interfaces of
// their own. Safe to call more than once; each such view calls it when it is made.
void installAccessibleViews();

}  // namespace tavrin
