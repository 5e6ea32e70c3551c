#pragma once

namespace vivori::controls {

// Registers the application's own toolkit controls with the toolkit's control factory,
// in the start-up order; layouts then reach them by class name ("CSelectPanelUI") or
// element name ("SelectPanel").
void RegisterCustomControls();

}  // namespace vivori::controls
