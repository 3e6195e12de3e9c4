#pragma once

namespace zintra {

// Every window uses "MS Sans Serif" 11 pixels high on the button-face colour. Where that family
// is missing, the substitutes registered here stand in for it.
void UseWindowAppearance();

} // namespace zintra
